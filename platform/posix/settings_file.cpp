// The settings file: read whole, replaced whole.
#include "platform/posix/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform::posix {

namespace {

void complain(const char* what, const char* path, int error) {
  std::fprintf(stderr, "zandrel: %s %s: %s\n", what, path, std::strerror(error));
}

// Creates the folder and its missing parents (0700, as settings are private).
bool makeFolders(const char* folder) {
  char partial[PATH_MAX];
  std::size_t length = std::strlen(folder);
  if (length == 0 || length >= sizeof partial) {
    errno = ENAMETOOLONG;
    return false;
  }
  std::memcpy(partial, folder, length + 1);
  for (std::size_t i = 1; i <= length; ++i) {
    if (partial[i] != '/' && partial[i] != '\0') continue;
    char kept = partial[i];
    partial[i] = '\0';
    if (mkdir(partial, 0700) != 0 && errno != EEXIST) return false;
    partial[i] = kept;
  }
  return true;
}

bool writeAll(int fd, const char* text, int length) {
  int done = 0;
  while (done < length) {
    ssize_t n = write(fd, text + done, static_cast<std::size_t>(length - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    done += static_cast<int>(n);
  }
  return true;
}

}  // namespace

int readSettingsFile(const char* path, char* buffer, int capacity) {
  // Non-blocking, so that a FIFO put in the file's place cannot hold the program up.
  int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return -1;
    complain("cannot read the settings file", path, errno);
    return -2;
  }
  struct stat status {};
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    std::fprintf(stderr, "zandrel: the settings file %s is not a regular file\n", path);
    close(fd);
    return -2;
  }
  int total = 0;
  int error = 0;
  // One byte more than may be kept tells a file that is too long, even one growing meanwhile.
  while (status.st_size < capacity && total < capacity) {
    ssize_t n = read(fd, buffer + total, static_cast<std::size_t>(capacity - total));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error = errno;
    if (n <= 0) break;
    total += static_cast<int>(n);
  }
  close(fd);
  if (error != 0) {
    complain("cannot read the settings file", path, error);
    return -2;
  }
  if (status.st_size >= capacity || total >= capacity) {
    std::fprintf(stderr, "zandrel: the settings file %s is larger than %d bytes; it is not used\n",
                 path, capacity - 1);
    return -2;
  }
  return total;
}

bool writeSettingsFile(const char* path, const char* text, int length) {
  char target[PATH_MAX];
  char temporary[PATH_MAX + 8];
  // Through a symbolic link (settings kept with other dotfiles) the file it names is replaced,
  // not the link.
  struct stat status {};
  if (lstat(path, &status) != 0 || !S_ISLNK(status.st_mode) || !realpath(path, target)) {
    if (std::strlen(path) >= sizeof target) {
      complain("cannot save the settings to", path, ENAMETOOLONG);
      return false;
    }
    std::strcpy(target, path);
  }
  char folder[PATH_MAX];
  const char* slash = std::strrchr(target, '/');
  if (slash == nullptr) {
    std::strcpy(folder, ".");
  } else if (slash == target) {
    std::strcpy(folder, "/");
  } else {
    std::size_t n = static_cast<std::size_t>(slash - target);
    std::memcpy(folder, target, n);
    folder[n] = '\0';
  }
  if (!makeFolders(folder)) {
    complain("cannot create the settings folder", folder, errno);
    return false;
  }
  std::snprintf(temporary, sizeof temporary, "%s.XXXXXX", target);
  int fd = mkostemp(temporary, O_CLOEXEC);
  if (fd < 0) {
    complain("cannot save the settings to", target, errno);
    return false;
  }
  // The new file keeps the permissions the old one had.
  if (stat(target, &status) == 0) fchmod(fd, status.st_mode & 07777);
  bool ok = writeAll(fd, text, length) && fsync(fd) == 0;
  int error = ok ? 0 : errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && rename(temporary, target) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    unlink(temporary);
    complain("cannot save the settings to", target, error);
    return false;
  }
  // The rename itself reaches the disk only with the folder.
  int folderFd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0) {
    fsync(folderFd);
    close(folderFd);
  }
  return true;
}

bool desktopSettingsPath(char* buffer, int capacity) {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  int n;
  if (config != nullptr && config[0] == '/')
    n = std::snprintf(buffer, static_cast<std::size_t>(capacity), "%s/Kelvaro/Zandrel.reg", config);
  else if (home != nullptr && home[0] == '/')
    n = std::snprintf(buffer, static_cast<std::size_t>(capacity), "%s/.config/Kelvaro/Zandrel.reg",
                      home);
  else
    return false;
  return n > 0 && n < capacity;
}

}  // namespace platform::posix
