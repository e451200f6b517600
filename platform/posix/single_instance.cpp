// The single-instance claim as an abstract Unix socket.
#include "platform/posix/single_instance.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform::posix {

namespace {

constexpr char raiseRequest[] = "raise\n";
constexpr int maxClients = 8;

// A copy that connected and has not yet sent its whole line.
struct Client {
  int fd = -1;
  char line[16];
  int length = 0;
};

int listening = -1;
Client clients[maxClients];
int raises = 0;

// The socket address for the name: "\0ZANDREL_INSTANCE" or "\0<name>-<uid>". False when the
// name is empty, not ASCII, or does not fit.
bool addressFor(const char16_t* name, sockaddr_un& address, socklen_t& length) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  char* path = address.sun_path + 1;  // sun_path[0] stays 0: the abstract namespace
  const std::size_t room = sizeof address.sun_path - 1;
  int n = 0;
  const char* chosen = std::getenv("ZANDREL_INSTANCE");
  if (chosen != nullptr && chosen[0] != '\0') {
    n = std::snprintf(path, room, "%s", chosen);
  } else {
    if (name == nullptr || name[0] == 0) return false;
    for (const char16_t* c = name; *c != 0; ++c) {
      if (*c <= 0x20 || *c >= 0x7f || static_cast<std::size_t>(n) + 1 >= room) return false;
      path[n++] = static_cast<char>(*c);
    }
    int more = std::snprintf(path + n, room - static_cast<std::size_t>(n), "-%u",
                             static_cast<unsigned>(getuid()));
    if (more < 0) return false;
    n += more;
  }
  if (n <= 0 || static_cast<std::size_t>(n) >= room) return false;
  length =
      static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + static_cast<std::size_t>(n));
  return true;
}

// A socket connected to the holder, or -1 with errno telling why not.
int connectTo(const char16_t* name) {
  sockaddr_un address;
  socklen_t length;
  if (!addressFor(name, address, length)) {
    errno = EINVAL;
    return -1;
  }
  // Non-blocking: a holder that stopped accepting must not hold this copy up.
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return -1;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
    int error = errno;
    close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

void drop(Client& client) {
  if (client.fd >= 0) close(client.fd);
  client = Client{};
}

// Reads what the client sent; false once it is done with (line complete, closed, or too long).
bool serve(Client& client) {
  for (;;) {
    char byte;
    ssize_t n = recv(client.fd, &byte, 1, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
    if (n <= 0) return false;
    if (byte == '\n') {
      if (client.length == static_cast<int>(sizeof raiseRequest) - 2 &&
          std::memcmp(client.line, raiseRequest, sizeof raiseRequest - 2) == 0)
        ++raises;
      return false;
    }
    if (client.length == static_cast<int>(sizeof client.line)) return false;
    client.line[client.length++] = byte;
  }
}

// Only the same user may ask: abstract names carry no file permissions.
bool sameUser(int fd) {
  ucred credentials{};
  socklen_t size = sizeof credentials;
  return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
         credentials.uid == getuid();
}

}  // namespace

host::InstanceClaim claimInstance(const char16_t* name) {
  if (listening >= 0) return host::InstanceClaim::claimed;
  sockaddr_un address;
  socklen_t length;
  if (!addressFor(name, address, length)) return host::InstanceClaim::failed;
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return host::InstanceClaim::failed;
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
    int error = errno;
    close(fd);
    return error == EADDRINUSE ? host::InstanceClaim::heldByAnother : host::InstanceClaim::failed;
  }
  // Copies may start in a burst between two looks at the socket: room for all of them to wait.
  if (listen(fd, SOMAXCONN) != 0) {
    close(fd);
    return host::InstanceClaim::failed;
  }
  listening = fd;
  raises = 0;
  return host::InstanceClaim::claimed;
}

void releaseInstance() {
  for (Client& c : clients) drop(c);
  if (listening >= 0) close(listening);
  listening = -1;
}

bool otherInstanceRunning(const char16_t* name) {
  // The holder is this copy: no other one can hold the name.
  if (listening >= 0) return false;
  int fd = connectTo(name);
  if (fd >= 0) {
    close(fd);
    return true;
  }
  // A full queue of connections still means a holder.
  return errno == EAGAIN;
}

bool raiseOtherInstance(const char16_t* name) {
  if (listening >= 0) return false;
  int fd = connectTo(name);
  if (fd < 0) return false;
  const std::size_t size = sizeof raiseRequest - 1;
  ssize_t sent;
  do {
    sent = send(fd, raiseRequest, size, MSG_NOSIGNAL);
  } while (sent < 0 && errno == EINTR);
  close(fd);
  return sent == static_cast<ssize_t>(size);
}

int instanceSocket() {
  return listening;
}

int takeRaiseRequests() {
  if (listening < 0) return 0;
  for (Client& c : clients)
    if (c.fd >= 0 && !serve(c)) drop(c);
  for (;;) {
    int fd = accept4(listening, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0 && errno == EINTR) continue;
    if (fd < 0) break;
    if (!sameUser(fd)) {
      close(fd);
      continue;
    }
    // With every slot taken the first gives way: a request is one short line, sent at once.
    Client* slot = &clients[0];
    for (Client& c : clients) {
      if (c.fd < 0) {
        slot = &c;
        break;
      }
    }
    drop(*slot);
    slot->fd = fd;
    if (!serve(*slot)) drop(*slot);
  }
  int taken = raises;
  raises = 0;
  return taken;
}

}  // namespace platform::posix
