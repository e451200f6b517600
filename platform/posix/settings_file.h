// The settings text in a file, shared by the hosts that run on POSIX systems.
#pragma once

namespace platform::posix {

// Reads the file into buffer. Returns its length; -1 when there is no such file; -2 (after one
// line on stderr) when it exists but cannot be read whole: too long for capacity - 1 bytes,
// unreadable, or not a regular file.
int readSettingsFile(const char* path, char* buffer, int capacity);

// Replaces the file with the text so that a crash leaves the old file or the new one, never a mix:
// a temporary file in the same folder is written, flushed to disk and renamed over it. Creates
// the folder when missing. False (after one line on stderr, the temporary removed) on failure.
// Temporaries left by saves that were killed are removed first; one still being written by
// another process is not.
bool writeSettingsFile(const char* path, const char* text, int length);

// The desktop settings file, ${XDG_CONFIG_HOME:-$HOME/.config}/Kelvaro/Zandrel.reg. False when
// neither variable gives an absolute path, or the path does not fit.
bool desktopSettingsPath(char* buffer, int capacity);

}  // namespace platform::posix
