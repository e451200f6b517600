// The desktop program.
#include "shell/shell.h"

int main() {
  return shell::programMain();
}
