// The browser program: the same program as on the desktop, its message loop blocking through
// ASYNCIFY; a page that closes keeps the problem number, as quitting does.
#include <emscripten.h>

#include "platform/web/web.h"
#include "shell/shell.h"

// Called by the page when it is hidden or left: a tab is closed or reloaded without the quit
// command, so the problem number is saved here too. Runs while the program waits or sleeps.
extern "C" EMSCRIPTEN_KEEPALIVE void zandrel_web_page_hidden() {
  if (shell::state.problemNumberRead) shell::saveCurrentProblemNumber();
}

int main() {
  const int code = shell::programMain();
  // The shell stops quietly when another copy runs (it raises that copy's window); a tab says so.
  if (platform::web::anotherTabAsked()) platform::web::showAlreadyOpen();
  platform::web::programEnded(code);
  return code;
}
