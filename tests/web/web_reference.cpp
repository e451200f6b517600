// Renders, on the headless host, the two screens of the browser test that zandrel-script cannot
// show: the screen during the pause that follows a tap, and a second tab's message box.
//
//   web_reference pause X Y OUT.png   the screen at the first sleep after a tap at client X Y
//                                     on the first problem, from the start
//   web_reference already-open OUT.png [zh]
//                                     the screen of a start while another copy holds the
//                                     single instance, as the browser entry shows it
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/core/system.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "platform/web/web.h"
#include "shell/shell.h"

namespace {

std::string outputPath;
bool written = false;

[[noreturn]] void fail(const std::string& message) {
  std::fprintf(stderr, "web_reference: %s\n", message.c_str());
  std::exit(1);
}

void writeScreen() {
  std::string error;
  if (!platform::headless::writePng(outputPath, error)) fail(error);
  written = true;
}

// The message loop until nothing is left to do, as the browser's loop runs between inputs.
void runUntilIdle() {
  const shell::LoopResult result = shell::runUntilIdle();
  if (result.end == shell::LoopResult::End::quit) fail("the program quit");
  if (result.end == shell::LoopResult::End::busy) fail("the message loop never goes idle");
}

int pauseFrame(int x, int y) {
  if (!shell::startUp().running) fail("the program did not start");
  runUntilIdle();
  platform::headless::setSleepHook([](int) {
    if (!written) writeScreen();
  });
  using platform::host::EventKind;
  const int deviceY = y + platform::topBarHeight;
  platform::headless::pushEvent({EventKind::stylusDown, x, deviceY, 0});
  platform::headless::pushEvent({EventKind::stylusUp, x, deviceY, 0});
  runUntilIdle();
  if (!written) fail("the tap made no pause");
  return 0;
}

int alreadyOpen() {
  platform::headless::setOtherInstance(true);
  if (shell::programMain() != 0) fail("the second start did not stop with status 0");
  if (platform::headless::takeRaiseRequests() != 1) fail("the second start asked no other copy");
  // The box waits for input: that is the screen the tab shows. Escape then closes it.
  platform::headless::setWaitHook([] {
    if (!written) writeScreen();
    platform::headless::pushEvent({platform::host::EventKind::key, 0, 0, platform::key::escape});
    return true;
  });
  platform::web::showAlreadyOpen();
  if (!written) fail("the message box did not wait for input");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  platform::headless::setLanguage(platform::languageEnglish);
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "pause" && argc == 5) {
    outputPath = argv[4];
    return pauseFrame(std::atoi(argv[2]), std::atoi(argv[3]));
  }
  if (mode == "already-open" && (argc == 3 || (argc == 4 && std::string(argv[3]) == "zh"))) {
    if (argc == 4) platform::headless::setLanguage(platform::languageChinese);
    outputPath = argv[2];
    return alreadyOpen();
  }
  std::fprintf(stderr, "usage: web_reference pause X Y OUT.png | already-open OUT.png [zh]\n");
  return 2;
}
