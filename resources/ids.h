// The numbers that name the program's resources, commands, notifications and strings. The
// resource data, the shell and every harness take them from here, so a number is written once.
#pragma once

namespace ids {

// Resources.
constexpr int iconProgram = 101;
constexpr int menuBarEnglish = 117;
constexpr int menuBarChinese = 137;
constexpr int dialogSelectEnglish = 131;
constexpr int dialogSelectChinese = 135;
constexpr int acceleratorTable = 3;

// Commands: the popup, the menu-bar buttons, the accelerators and the window's own buttons.
namespace command {
constexpr int ok = 1;      // the top bar's "ok"
constexpr int cancel = 2;  // handled, and does nothing
constexpr int quit = 102;
constexpr int closeAlt = 40002;  // Alt + F4: left to default handling
constexpr int about = 40003;     // Alt + "/"
constexpr int replay = 40004;    // also posted once at start-up
constexpr int nextProblem = 40005;
constexpr int selectProblem = 40006;
constexpr int aboutMenu = 40007;
constexpr int prevProblem = 40008;
constexpr int back = 40010;
constexpr int softKey = 40013;
constexpr int dialogCancel = 40016;
constexpr int dialogOk = 40017;
constexpr int soundOn = 40023;
constexpr int menu = 40025;  // the menu-bar button that opens the popup
constexpr int mode = 40058;
constexpr int pass = 40083;
}  // namespace command

// Every command the main window handles, for harnesses that pick one at random.
constexpr int handledCommands[] = {
    command::replay, command::nextProblem, command::selectProblem, command::prevProblem,
    command::pass,   command::mode,        command::soundOn,       command::aboutMenu,
    command::about,  command::quit,        command::back,          command::softKey,
    command::ok,     command::cancel};
constexpr int handledCommandCount = sizeof handledCommands / sizeof handledCommands[0];

// The items of the selection dialogs 131 and 135.
namespace item {
constexpr int prompt = 1018;
constexpr int ok = 1019;
constexpr int cancel = 1020;
constexpr int entry = 1021;
constexpr int current = 1022;
constexpr int currentLabel = 1023;
}  // namespace item

// Sound clips.
namespace sound {
constexpr int stone = 1999;    // a stone put on the board
constexpr int tick = 2010;     // built in, not played
constexpr int good = 2030;     // "Good"
constexpr int lowTone = 2090;  // built in, not played
constexpr int success = 2095;  // "Success"
}  // namespace sound

// String table entries: English and Chinese ids of each interface text.
namespace text {
struct Pair {
  int chinese;
  int english;
};
constexpr Pair windowClass{8, 8};
constexpr Pair windowTitle{5, 40086};
constexpr Pair menuCaption{40024, 40060};
constexpr Pair replayCaption{106, 40062};
constexpr Pair backCaption{40014, 40064};
constexpr Pair hint{40015, 40066};
constexpr Pair problemNumber{124, 40093};
constexpr Pair success{113, 40089};
constexpr Pair failure{114, 40090};
constexpr Pair good{115, 40091};
constexpr Pair nextVariation{40033, 40098};
constexpr Pair nextProblem{40035, 40099};
constexpr Pair aboutCaption{40039, 40101};
constexpr Pair aboutText{40045, 40107};
}  // namespace text

}  // namespace ids

// Notifications the game object posts to its main window (both parameters 0).
constexpr unsigned notifyMoveAccepted = 1026;
constexpr unsigned notifySolved = 1027;
constexpr unsigned notifyFailed = 1028;
constexpr unsigned notifyVariationWaiting = 1029;
constexpr unsigned notifyProblemOpened = 1030;
