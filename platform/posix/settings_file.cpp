// The settings file: read whole, replaced whole.
#include "platform/posix/settings_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "resources/settings_key.h"

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

// A save writes "<file>.saving-XXXXXX" and holds an exclusive lock on it until it is renamed.
constexpr char kSavingTag[] = ".saving-";

bool isSavingName(const char* name, const char* base) {
  std::size_t baseLength = std::strlen(base);
  if (std::strncmp(name, base, baseLength) != 0) return false;
  name += baseLength;
  if (std::strncmp(name, kSavingTag, sizeof kSavingTag - 1) != 0) return false;
  name += sizeof kSavingTag - 1;
  int n = 0;
  for (; name[n] != '\0'; ++n)
    if (!std::isalnum(static_cast<unsigned char>(name[n]))) return false;
  return n == 6;
}

// Removes what saves killed half-way left behind. A file still locked belongs to a save under
// way in another process and is left alone; the lock dies with its holder.
void sweepAbandonedSaves(const char* folder, const char* base) {
  int folderFd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd < 0) return;
  DIR* listing = fdopendir(folderFd);
  if (listing == nullptr) {
    close(folderFd);
    return;
  }
  while (const dirent* entry = readdir(listing)) {
    if (!isSavingName(entry->d_name, base)) continue;
    int fd = openat(folderFd, entry->d_name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) continue;
    struct stat opened {};
    struct stat named {};
    // Only our own regular file, locked by nobody, and still the one under that name (a save
    // may have renamed it into place since the listing).
    if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
        opened.st_uid == geteuid() &&
        fstatat(folderFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_dev == opened.st_dev && named.st_ino == opened.st_ino)
      unlinkat(folderFd, entry->d_name, 0);
    close(fd);
  }
  closedir(listing);
}

// Creates the temporary file for a save, locked. A sweep in another process may remove a file
// between its creation and the lock; then it is made again. Where the file system has no locks
// the file is used unlocked: no sweep can lock, so none removes it.
int createLockedTemporary(char* temporary, std::size_t capacity, const char* target) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    std::snprintf(temporary, capacity, "%s%sXXXXXX", target, kSavingTag);
    int fd = mkostemp(temporary, O_CLOEXEC);
    if (fd < 0) return -1;
    int locked;
    do locked = flock(fd, LOCK_EX);
    while (locked != 0 && errno == EINTR);
    if (locked != 0) return fd;
    struct stat opened {};
    struct stat named {};
    if (fstat(fd, &opened) == 0 && lstat(temporary, &named) == 0 && named.st_dev == opened.st_dev &&
        named.st_ino == opened.st_ino)
      return fd;
    close(fd);
  }
  errno = EAGAIN;
  return -1;
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
  char temporary[PATH_MAX + 16];
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
  sweepAbandonedSaves(folder, slash == nullptr ? target : slash + 1);
  int fd = createLockedTemporary(temporary, sizeof temporary, target);
  if (fd < 0) {
    complain("cannot save the settings to", target, errno);
    return false;
  }
  // The new file keeps the permissions the old one had.
  if (stat(target, &status) == 0) fchmod(fd, status.st_mode & 07777);
  bool ok = writeAll(fd, text, length) && fsync(fd) == 0;
  int error = ok ? 0 : errno;
  // Renamed while still locked, so that no sweep takes it in between.
  if (ok && rename(temporary, target) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    unlink(temporary);
    close(fd);
    complain("cannot save the settings to", target, error);
    return false;
  }
  close(fd);
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
    n = std::snprintf(buffer, static_cast<std::size_t>(capacity), "%s/%s/%s", config,
                      settings::fileFolder, settings::fileName);
  else if (home != nullptr && home[0] == '/')
    n = std::snprintf(buffer, static_cast<std::size_t>(capacity), "%s/.config/%s/%s", home,
                      settings::fileFolder, settings::fileName);
  else
    return false;
  return n > 0 && n < capacity;
}

}  // namespace platform::posix
