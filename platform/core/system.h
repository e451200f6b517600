// Internal system facts of the core, shared with the hosts and the tools.
#pragma once

namespace platform {

constexpr int minScreenSide = 120;
constexpr int maxScreenSide = 2048;
constexpr int languageChinese = 4;
constexpr int languageEnglish = 9;

// Parses "WxH" with each side in [minScreenSide, maxScreenSide]; false leaves width and height.
bool parseScreenSize(const char* text, int& width, int& height);
// Overrides the screen size before start (tools and tests).
void setScreenSize(int width, int height);
// 4 when the first non-empty of LC_ALL, LC_MESSAGES, LANG starts with "zh", else 9.
int languageFromEnvironment();

}  // namespace platform

namespace platform {

// Forgets the window, its class and every queued message, and clears the screen (tests and tools
// that run several sessions in one process).
void resetState();

}  // namespace platform
