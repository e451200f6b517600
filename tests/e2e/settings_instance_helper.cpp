// Drives the desktop host's settings file and single-instance claim for settings_and_instance.sh.
//
//   load                  prints the settings text; exit 3 when there is none, 4 when unreadable
//   save FILE             saves FILE's bytes as the settings text; exit 1 on failure
//   save-loop FILE FILE   saves the two texts in turn until killed; prints "saving" after the first
//   set N / get           writes / reads CurrentProblemNo through the registry store ("missing")
//   claim                 prints "claimed", "held" (exit 5) or "failed" (exit 1)
//   hold                  claims, prints "claimed", then serves requests in the wait for input
//   running               exit 0 when another copy holds the claim, else 1
//   raise                 asks the holder to raise its window; exit 1 when none takes it
//   send TEXT             sends TEXT to the holder of "\0$ZANDREL_INSTANCE" as it is
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/host.h"
#include "platform/platform.h"
#include "resources/settings_key.h"

using namespace platform;

namespace {

constexpr int capacity = 64 * 1024;
const char16_t* const instanceName = u"ZANDREL";

bool readFile(const char* path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

int usage() {
  std::fprintf(stderr,
               "usage: settings_instance_helper load|save FILE|save-loop FILE FILE|set N|"
               "get|claim|hold|running|raise\n");
  return 2;
}

// What a confused or hostile program might send the holder.
bool sendRaw(const char* text) {
  const char* name = std::getenv("ZANDREL_INSTANCE");
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (name == nullptr || std::strlen(name) + 1 >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path + 1, name, std::strlen(name));
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  if (fd < 0) return false;
  auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + std::strlen(name));
  bool sent =
      connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0 &&
      send(fd, text, std::strlen(text), MSG_NOSIGNAL) == static_cast<ssize_t>(std::strlen(text));
  close(fd);
  return sent;
}

int claim(bool hold) {
  switch (host::claimInstance(instanceName)) {
    case host::InstanceClaim::heldByAnother:
      std::printf("held\n");
      return 5;
    case host::InstanceClaim::failed:
      std::printf("failed\n");
      return 1;
    case host::InstanceClaim::claimed:
      break;
  }
  std::printf("claimed\n");
  // The holder is the only copy: it must not take its own claim for another one.
  if (host::otherInstanceRunning(instanceName) || host::raiseOtherInstance(instanceName))
    std::printf("sees itself as another copy\n");
  std::fflush(stdout);
  if (!hold) return 0;
  // The wait for input is where the desktop host answers other copies.
  if (!host::start(240, 320)) return 1;
  host::InputEvent event{};
  while (host::waitEvent(event)) {
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  std::string command = argv[1];
  if (command == "load" && argc == 2) {
    static char buffer[capacity];
    int n = host::loadSettings(buffer, capacity);
    if (n == -1) return 3;
    if (n < 0) return 4;
    std::fwrite(buffer, 1, static_cast<std::size_t>(n), stdout);
    return 0;
  }
  if (command == "save" && argc == 3) {
    std::string text;
    if (!readFile(argv[2], text)) return usage();
    return host::saveSettings(text.data(), static_cast<int>(text.size())) ? 0 : 1;
  }
  if (command == "save-loop" && argc == 4) {
    std::string texts[2];
    if (!readFile(argv[2], texts[0]) || !readFile(argv[3], texts[1])) return usage();
    for (long i = 0;; ++i) {
      const std::string& text = texts[i % 2];
      if (!host::saveSettings(text.data(), static_cast<int>(text.size()))) return 1;
      if (i == 0) {
        std::printf("saving\n");
        std::fflush(stdout);
      }
    }
  }
  if (command == "set" && argc == 3) {
    Key key = nullptr;
    if (!createKey(settings::keyPath, key)) return 1;
    bool set = setValue(key, settings::problemNumberValue,
                        static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10)));
    return closeKey(key) && set ? 0 : 1;
  }
  if (command == "get" && argc == 2) {
    Key key = nullptr;
    std::uint32_t value = 0;
    bool found =
        openKey(settings::keyPath, key) && queryValue(key, settings::problemNumberValue, value);
    if (key != nullptr) closeKey(key);
    if (found)
      std::printf("%u\n", static_cast<unsigned>(value));
    else
      std::printf("missing\n");
    return 0;
  }
  if (command == "claim" && argc == 2) return claim(false);
  if (command == "hold" && argc == 2) return claim(true);
  if (command == "running" && argc == 2) return host::otherInstanceRunning(instanceName) ? 0 : 1;
  if (command == "raise" && argc == 2) return host::raiseOtherInstance(instanceName) ? 0 : 1;
  if (command == "send" && argc == 3) return sendRaw(argv[2]) ? 0 : 1;
  return usage();
}
