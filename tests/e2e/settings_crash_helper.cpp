// The program's own saving and reading of the problem number, on the desktop host's settings file,
// for settings_crash.sh:
//
//   loop FIRST   saves FIRST, FIRST + 1, ... until killed; prints each number once it is saved
//                (and "ready" on stderr before the first save)
//   save N       saves N once, then prints the number the program reads back
//   read         prints the stored number, or "missing" when none can be read
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/go_board.h"
#include "platform/platform.h"
#include "resources/settings_key.h"
#include "shell/shell.h"

namespace {

int usage() {
  std::fprintf(stderr, "usage: settings_crash_helper loop FIRST | save N | read\n");
  return 2;
}

bool number(const char* text, int& value) {
  char* end = nullptr;
  const long n = std::strtol(text, &end, 10);
  if (*text == '\0' || *end != '\0' || n < 1 || n > 1000000000) return false;
  value = static_cast<int>(n);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "read") == 0) {
    platform::Key key = nullptr;
    std::uint32_t value = 0;
    const bool found = platform::openKey(settings::keyPath, key) &&
                       platform::queryValue(key, settings::problemNumberValue, value);
    if (key != nullptr) platform::closeKey(key);
    if (found)
      std::printf("%u\n", static_cast<unsigned>(value));
    else
      std::printf("missing\n");
    return 0;
  }
  int n = 0;
  if (argc != 3 || !number(argv[2], n)) return usage();
  if (std::strcmp(argv[1], "save") == 0) {
    goBoard.problemNumber = n;
    shell::saveCurrentProblemNumber();
    std::printf("%d\n", shell::readCurrentProblemNumber());
    return 0;
  }
  if (std::strcmp(argv[1], "loop") != 0) return usage();
  // Up and about to save: the test times its kill from here, whatever the machine's load.
  std::fprintf(stderr, "ready\n");
  std::fflush(stderr);
  for (;; ++n) {
    goBoard.problemNumber = n;
    shell::saveCurrentProblemNumber();
    std::printf("%d\n", n);
    std::fflush(stdout);
  }
}
