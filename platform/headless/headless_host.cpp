// The in-memory host for tests and tools.
#include "platform/headless/headless.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>

#include "platform/core/framebuffer.h"
#include "platform/core/system.h"
#include "platform/posix/settings_file.h"

namespace platform::headless {
namespace {

// A queue in a fixed array: the newest `capacity` entries, with a count of the ones lost.
template <typename T, int capacity>
struct Ring {
  T entries[capacity];
  int first = 0;
  int count = 0;
  int dropped = 0;

  bool empty() const { return count == 0; }
  bool full() const { return count == capacity; }
  // Appends the entry; when full, the oldest makes room.
  void push(const T& entry) {
    if (full()) {
      first = (first + 1) % capacity;
      --count;
      ++dropped;
    }
    entries[(first + count) % capacity] = entry;
    ++count;
  }
  T pop() {
    const T entry = entries[first];
    first = (first + 1) % capacity;
    --count;
    return entry;
  }
  void clear() { first = count = dropped = 0; }
};

// A clip played, or a beep of a kind.
struct Sound {
  bool beep;
  int clip;
  unsigned kind;
};

// What takeRecord() hands over, kept without allocating.
struct Recording {
  Ring<int, recordCapacity> sleeps;
  Ring<Sound, recordCapacity> sounds;
  Ring<Cursor, recordCapacity> cursors;
  int presents = 0;
};

Ring<host::InputEvent, eventCapacity> events;
int languageId = -1;
std::uint32_t clock = 0;
Recording record;
Rect presented{0, 0, 0, 0};
Cursor shownCursor = Cursor::arrow;
bool audioAvailable = true;
bool (*waitHook)() = nullptr;
std::function<void(int)> sleepHook;

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f != nullptr) std::fclose(f);
  }
};

}  // namespace

bool pushEvent(const host::InputEvent& event) {
  // Input is never lost silently: a full queue refuses the new event and says so.
  if (events.full()) return false;
  events.push(event);
  return true;
}

void setWaitHook(bool (*hook)()) {
  waitHook = hook;
}

void setLanguage(int id) {
  languageId = id;
}

Record takeRecord() {
  Record taken;
  taken.sleeps.reserve(static_cast<std::size_t>(record.sleeps.count));
  while (!record.sleeps.empty()) taken.sleeps.push_back(record.sleeps.pop());
  taken.sounds.reserve(static_cast<std::size_t>(record.sounds.count));
  while (!record.sounds.empty()) {
    const Sound sound = record.sounds.pop();
    if (!sound.beep)
      taken.sounds.push_back(std::to_string(sound.clip));
    else if (sound.kind == 0)
      taken.sounds.push_back("beep");
    else
      taken.sounds.push_back("beep " + std::to_string(sound.kind));
  }
  taken.cursors.reserve(static_cast<std::size_t>(record.cursors.count));
  while (!record.cursors.empty()) taken.cursors.push_back(record.cursors.pop());
  taken.presents = record.presents;
  taken.dropped = record.sleeps.dropped + record.sounds.dropped + record.cursors.dropped;
  record.sleeps.clear();
  record.sounds.clear();
  record.cursors.clear();
  record.presents = 0;
  return taken;
}

Rect lastPresented() {
  return presented;
}

Cursor cursor() {
  return shownCursor;
}

void setAudioAvailable(bool available) {
  audioAvailable = available;
}

void setSleepHook(std::function<void(int)> hook) {
  sleepHook = std::move(hook);
}

bool writePngPixels(const std::string& path, const std::uint32_t* pixels, int width, int height,
                    std::string& error) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    error = "cannot write " + path;
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    error = "out of memory writing " + path;
    return false;
  }
  std::vector<png_byte> row(static_cast<std::size_t>(width) * 3);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    error = "cannot write " + path;
    return false;
  }
  png_init_io(png, file.get());
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint32_t p = pixels[y * width + x];
      row[x * 3] = static_cast<png_byte>(p >> 16);
      row[x * 3 + 1] = static_cast<png_byte>(p >> 8);
      row[x * 3 + 2] = static_cast<png_byte>(p);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fflush(file.get()) != 0) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

bool writePng(const std::string& path, std::string& error) {
  if (framebuffer::pixels() == nullptr) {
    error = "the screen has not been started";
    return false;
  }
  return writePngPixels(path, framebuffer::pixels(), framebuffer::width(), framebuffer::height(),
                        error);
}

bool readPng(const std::string& path, std::vector<std::uint32_t>& pixels, int& width, int& height,
             std::string& error) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    error = "cannot read " + path + ": " + image.message;
    return false;
  }
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> buffer(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, buffer.data(), 0, nullptr)) {
    error = "cannot read " + path + ": " + image.message;
    png_image_free(&image);
    return false;
  }
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (std::size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = (std::uint32_t{buffer[i * 3]} << 16) | (std::uint32_t{buffer[i * 3 + 1]} << 8) |
                buffer[i * 3 + 2];
  return true;
}

}  // namespace platform::headless

namespace platform::host {

bool start(int, int) {
  return true;
}

bool waitEvent(InputEvent& event) {
  if (headless::events.empty() && headless::waitHook != nullptr) headless::waitHook();
  return pollEvent(event);
}

bool pollEvent(InputEvent& event) {
  if (headless::events.empty()) return false;
  event = headless::events.pop();
  return true;
}

void present(const std::uint32_t*, int, int, const Rect& changed) {
  headless::presented = changed;
  ++headless::record.presents;
}

void sleep(int milliseconds) {
  if (headless::sleepHook) headless::sleepHook(milliseconds);
  headless::clock += static_cast<std::uint32_t>(milliseconds);
  headless::record.sleeps.push(milliseconds);
}

std::uint32_t ticks() {
  return headless::clock;
}

void setCursor(Cursor cursor, bool) {
  headless::shownCursor = cursor;
  headless::record.cursors.push(cursor);
}

bool playWave(int clipId, const unsigned char* data, std::size_t size) {
  if (!headless::audioAvailable || data == nullptr || size == 0) return false;
  headless::record.sounds.push(headless::Sound{false, clipId, 0});
  return true;
}

void beep(unsigned kind) {
  headless::record.sounds.push(headless::Sound{true, 0, kind});
}

int language() {
  if (headless::languageId < 0) headless::languageId = languageFromEnvironment();
  return headless::languageId;
}

void raiseWindow() {}

}  // namespace platform::host

// The settings (in memory, or the file ZANDREL_REGISTRY names) and the simulated single instance.
namespace platform::headless {
namespace {

std::optional<std::string> heldSettings;
bool settingsSaveFails = false;
bool otherInstance = false;
bool claimed = false;
int raiseRequests = 0;

// The settings file ZANDREL_REGISTRY names, or null to keep the settings in memory.
const char* settingsFile() {
  const char* path = std::getenv("ZANDREL_REGISTRY");
  return path != nullptr && path[0] != '\0' ? path : nullptr;
}

}  // namespace

void setSettingsText(const std::string& text) {
  heldSettings = text;
}

void clearSettings() {
  heldSettings.reset();
}

std::optional<std::string> settingsText() {
  return heldSettings;
}

void setSettingsSaveFails(bool fails) {
  settingsSaveFails = fails;
}

void setOtherInstance(bool running) {
  otherInstance = running;
}

bool instanceClaimed() {
  return claimed;
}

int takeRaiseRequests() {
  int taken = raiseRequests;
  raiseRequests = 0;
  return taken;
}

}  // namespace platform::headless

namespace platform::host {

int loadSettings(char* buffer, int capacity) {
  if (const char* path = headless::settingsFile())
    return posix::readSettingsFile(path, buffer, capacity);
  if (!headless::heldSettings) return -1;
  const std::string& text = *headless::heldSettings;
  if (capacity <= 0 || text.size() > static_cast<std::size_t>(capacity - 1)) return -2;
  text.copy(buffer, text.size());
  return static_cast<int>(text.size());
}

bool saveSettings(const char* text, int length) {
  if (headless::settingsSaveFails || length < 0) return false;
  if (const char* path = headless::settingsFile())
    return posix::writeSettingsFile(path, text, length);
  headless::heldSettings = std::string(text, static_cast<std::size_t>(length));
  return true;
}

InstanceClaim claimInstance(const char16_t*) {
  if (headless::otherInstance) return InstanceClaim::heldByAnother;
  headless::claimed = true;
  return InstanceClaim::claimed;
}

void releaseInstance() {
  headless::claimed = false;
}

bool otherInstanceRunning(const char16_t*) {
  return headless::otherInstance && !headless::claimed;
}

bool raiseOtherInstance(const char16_t*) {
  if (!otherInstanceRunning(nullptr)) return false;
  ++headless::raiseRequests;
  return true;
}

}  // namespace platform::host
