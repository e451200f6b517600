// Where the program keeps its one setting: the registry key, the value, and the desktop file
// that holds them. Written once here for the shell, the hosts and every harness.
#pragma once

namespace settings {

// The current user's key and the problem number's value (4 bytes).
inline constexpr char16_t keyPath[] = u"Software\\Kelvaro\\Zandrel";
inline constexpr char16_t problemNumberValue[] = u"CurrentProblemNo";

// The same names in the settings text (UTF-8), e.g. for a harness that writes a starting file.
inline constexpr char keySection[] = "[HKEY_CURRENT_USER\\Software\\Kelvaro\\Zandrel]";
inline constexpr char problemNumberName[] = "\"CurrentProblemNo\"";

// The desktop settings file, below the user's configuration folder.
inline constexpr char fileFolder[] = "Kelvaro";
inline constexpr char fileName[] = "Zandrel.reg";

}  // namespace settings
