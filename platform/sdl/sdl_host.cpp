// The desktop host: one SDL window showing the device screen scaled by an integer, the mouse as
// the stylus, the keyboard, and queued audio.
#include "platform/host.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <numbers>
#include <vector>

#include "platform/core/system.h"
#include "platform/posix/settings_file.h"
#include "platform/posix/single_instance.h"
#include "resources/icon/icon_pixels.h"

namespace platform::host {

namespace {

constexpr int defaultScale = 2;
constexpr int maxScale = 8;
SDL_Window* window = nullptr;
int screenWidth = 0, screenHeight = 0;
int scale = defaultScale;
bool stylusHeld = false;
// The framebuffer last presented, to repaint the window after an expose.
const std::uint32_t* lastPixels = nullptr;
bool readyAnnounced = false;
// One scaled framebuffer row, converted from this into the window surface's format.
std::vector<std::uint32_t> scaledRow;

SDL_Cursor* cursors[3] = {};

bool audioAvailable = false;
SDL_AudioDeviceID audioDevice = 0;
SDL_AudioSpec deviceFormat{};

// How long a wait for input lasts before the single-instance socket is looked at again: a second
// copy's request to raise the window is answered within this time.
constexpr Uint32 requestPollMs = 100;

// Returns the scale from ZANDREL_SCALE (unset: the default), or 0 when the value is not 1..8.
int scaleFromEnvironment() {
  const char* text = std::getenv("ZANDREL_SCALE");
  if (!text) return defaultScale;
  if (text[0] >= '1' && text[0] <= '0' + maxScale && text[1] == '\0') return text[0] - '0';
  std::fprintf(stderr, "zandrel: ZANDREL_SCALE must be an integer from 1 to %d (got \"%s\")\n",
               maxScale, text);
  return 0;
}

// Stops the sound at exit. The window and the display are left to the end of the process: SDL
// 2.26 wakes its own wait with an event sent to the window over a second X connection, and when
// the window is destroyed before the server handles that event, SDL_Quit reports BadWindow and
// the process ends with status 1 (seen under load, about one exit in ten).
void shutDown() {
  if (audioDevice) SDL_CloseAudioDevice(audioDevice);
  audioDevice = 0;
}

// Copies device rectangle `r` (already clipped to the screen), scaled, into the window surface.
bool blitScaled(const std::uint32_t* pixels, const Rect& r) {
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (!surface) return false;
  int left = r.left * scale, top = r.top * scale;
  int right = std::min(r.right * scale, surface->w),
      bottom = std::min(r.bottom * scale, surface->h);
  if (right <= left || bottom <= top) return true;
  int rowWidth = right - left;
  scaledRow.resize(static_cast<std::size_t>(rowWidth));
  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return false;
  auto* base = static_cast<Uint8*>(surface->pixels);
  int bytesPerPixel = surface->format->BytesPerPixel;
  for (int y = top; y < bottom; y += scale) {
    const std::uint32_t* source = pixels + (y / scale) * screenWidth;
    for (int x = left; x < right; ++x)
      scaledRow[static_cast<std::size_t>(x - left)] = source[x / scale];
    Uint8* first = base + y * surface->pitch + left * bytesPerPixel;
    SDL_ConvertPixels(rowWidth, 1, SDL_PIXELFORMAT_RGB888, scaledRow.data(), rowWidth * 4,
                      surface->format->format, first, surface->pitch);
    int rows = std::min(scale, bottom - y);
    for (int i = 1; i < rows; ++i)
      std::memcpy(first + i * surface->pitch, first,
                  static_cast<std::size_t>(rowWidth) * bytesPerPixel);
  }
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  SDL_Rect shown{left, top, rowWidth, bottom - top};
  return SDL_UpdateWindowSurfaceRects(window, &shown, 1) == 0;
}

// Whether ZANDREL_READY is "1": tests then read the host's signals on standard output.
bool signalsWanted() {
  const char* flag = std::getenv("ZANDREL_READY");
  return flag && std::strcmp(flag, "1") == 0;
}

// Prints "ready <X11 window id>" once, for tests that wait for the first frame.
void announceReady() {
  readyAnnounced = true;
  if (!signalsWanted()) return;
  unsigned long id = 0;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11)
    id = static_cast<unsigned long>(info.info.x11.window);
  std::printf("ready %lu\n", id);
  std::fflush(stdout);
}

// Answers the requests of copies started later: each asks for this window to the front. Prints
// "raised <requests taken at once>" for tests.
void serveOtherCopies() {
  int requests = window ? posix::takeRaiseRequests() : 0;
  if (requests == 0) return;
  Uint32 flags = SDL_GetWindowFlags(window);
  if (flags & SDL_WINDOW_HIDDEN) SDL_ShowWindow(window);
  if (flags & SDL_WINDOW_MINIMIZED) SDL_RestoreWindow(window);
  SDL_RaiseWindow(window);
  if (signalsWanted()) {
    std::printf("raised %d\n", requests);
    std::fflush(stdout);
  }
}

// The window's icon 101, from the pixels built into the program.
void setIcon() {
  static Uint32 pixels[resources::icon::size * resources::icon::size];
  for (int y = 0; y < resources::icon::size; ++y) {
    for (int x = 0; x < resources::icon::size; ++x) {
      char c = resources::icon::rows[y][x];
      int index = c <= '9' ? c - '0' : c - 'a' + 10;
      pixels[y * resources::icon::size + x] = resources::icon::palette[index & 15];
    }
  }
  SDL_Surface* icon =
      SDL_CreateRGBSurfaceWithFormatFrom(pixels, resources::icon::size, resources::icon::size, 32,
                                         resources::icon::size * 4, SDL_PIXELFORMAT_ARGB8888);
  if (!icon) return;
  SDL_SetWindowIcon(window, icon);
  SDL_FreeSurface(icon);
}

void presentAll() {
  if (lastPixels) blitScaled(lastPixels, Rect{0, 0, screenWidth, screenHeight});
}

int deviceCoordinate(int windowPixel, int limit) {
  int device = windowPixel / scale;
  return device < 0 ? 0 : device >= limit ? limit - 1 : device;
}

// Translates an SDL event; false for the events the program does not take.
bool translate(const SDL_Event& e, InputEvent& event) {
  event = InputEvent{EventKind::none, 0, 0, 0};
  auto at = [&event](EventKind kind, int x, int y) {
    event.kind = kind;
    event.x = deviceCoordinate(x, screenWidth);
    event.y = deviceCoordinate(y, screenHeight);
    return true;
  };
  switch (e.type) {
    case SDL_MOUSEBUTTONDOWN:
      if (e.button.button != SDL_BUTTON_LEFT) return false;
      stylusHeld = true;
      return at(EventKind::stylusDown, e.button.x, e.button.y);
    case SDL_MOUSEMOTION:
      if (!stylusHeld) return false;
      return at(EventKind::stylusMove, e.motion.x, e.motion.y);
    case SDL_MOUSEBUTTONUP:
      if (e.button.button == SDL_BUTTON_RIGHT)
        return at(EventKind::secondaryUp, e.button.x, e.button.y);
      if (e.button.button != SDL_BUTTON_LEFT) return false;
      stylusHeld = false;
      return at(EventKind::stylusUp, e.button.x, e.button.y);
    case SDL_KEYDOWN:
      event.kind = EventKind::key;
      event.key = e.key.keysym.sym | ((e.key.keysym.mod & KMOD_ALT) ? altModifier : 0);
      return true;
    // A closed window raises SDL_QUIT too; taking only this gives one close per request.
    case SDL_QUIT:
      event.kind = EventKind::close;
      return true;
    case SDL_WINDOWEVENT:
      switch (e.window.event) {
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          presentAll();
          event.kind = EventKind::expose;
          return true;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_FOCUS_LOST:
          event.kind = EventKind::activate;
          event.key = e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED ? 1 : 0;
          return true;
        default:
          return false;
      }
    default:
      return false;
  }
}

// The device plays one format, the finest the clips use, so clips are only ever converted up
// (8 to 16 bits, 11025 to 22050 Hz) whichever of them plays first. 512 frames (23 ms) keep the
// stone's click close to the tap.
constexpr int deviceRate = 22050;
constexpr Uint16 deviceFrames = 512;

// Opens the device on first use. False when there is no sound.
bool openDevice() {
  if (!audioAvailable) return false;
  if (audioDevice) return true;
  SDL_AudioSpec wanted{};
  wanted.freq = deviceRate;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 1;
  wanted.samples = deviceFrames;
  audioDevice = SDL_OpenAudioDevice(nullptr, 0, &wanted, &deviceFormat, 0);
  // A driver may start without a device to open (ALSA without a card): go on silently, and
  // without retrying, which would repeat the driver's complaints on every sound.
  if (!audioDevice) audioAvailable = false;
  return audioDevice != 0;
}

// PCM in the clip's format converted to the device's format. Empty when it cannot be.
std::vector<Uint8> toDeviceFormat(const SDL_AudioSpec& clipFormat, const Uint8* data,
                                  Uint32 length) {
  SDL_AudioCVT cvt;
  const int built =
      SDL_BuildAudioCVT(&cvt, clipFormat.format, clipFormat.channels, clipFormat.freq,
                        deviceFormat.format, deviceFormat.channels, deviceFormat.freq);
  if (built < 0 || length == 0) return {};
  std::vector<Uint8> converted(static_cast<std::size_t>(length) *
                               static_cast<std::size_t>(built > 0 ? cvt.len_mult : 1));
  std::memcpy(converted.data(), data, length);
  if (built > 0) {
    cvt.buf = converted.data();
    cvt.len = static_cast<int>(length);
    if (SDL_ConvertAudio(&cvt) != 0) return {};
    converted.resize(static_cast<std::size_t>(cvt.len_cvt));
  }
  return converted;
}

// Clips in the device's format, made on first play, so later plays allocate nothing.
struct CachedClip {
  int id;
  std::vector<Uint8> pcm;
};
constexpr int cacheSize = 8;
CachedClip clipCache[cacheSize];
int cachedClips = 0;

const std::vector<Uint8>* cachedClip(int id) {
  for (int i = 0; i < cachedClips; ++i)
    if (clipCache[i].id == id) return &clipCache[i].pcm;
  return nullptr;
}

const std::vector<Uint8>* cacheClip(int id, std::vector<Uint8> pcm) {
  if (pcm.empty()) return nullptr;
  CachedClip& slot = clipCache[cachedClips < cacheSize ? cachedClips++ : cacheSize - 1];
  slot = CachedClip{id, std::move(pcm)};
  return &slot.pcm;
}

// Replaces what plays by the clip.
bool queueClip(const std::vector<Uint8>& pcm) {
  SDL_ClearQueuedAudio(audioDevice);
  const int queued = SDL_QueueAudio(audioDevice, pcm.data(), static_cast<Uint32>(pcm.size()));
  SDL_PauseAudioDevice(audioDevice, 0);
  return queued == 0;
}

// Beeps are cached beside the clips under ids no clip uses.
constexpr int beepCacheBase = -1000;

}  // namespace

bool start(int width, int height) {
  if (window) return true;
  // Checked before SDL starts, so a bad value is reported the same with or without a display.
  scale = scaleFromEnvironment();
  if (scale == 0) std::exit(2);
  screenWidth = width;
  screenHeight = height;

  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    std::fprintf(stderr, "zandrel: cannot start the display: %s\n", SDL_GetError());
    return false;
  }
  // Without a display SDL falls back to an invisible driver, and the program would wait unseen.
  const char* driver = SDL_GetCurrentVideoDriver();
  const char* chosen = std::getenv("SDL_VIDEODRIVER");
  if (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) &&
      !(chosen && std::strstr(chosen, driver))) {
    std::fprintf(stderr, "zandrel: no display to open the window on (is DISPLAY set?)\n");
    SDL_Quit();
    return false;
  }
  std::atexit(shutDown);
  // Without a sound card this fails alone; the program then runs silently.
  audioAvailable = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;

  window = SDL_CreateWindow("Zandrel", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                            width * scale, height * scale, SDL_WINDOW_SHOWN);
  if (!window) {
    std::fprintf(stderr, "zandrel: cannot create the window: %s\n", SDL_GetError());
    return false;
  }
  setIcon();
  // Key presses are taken one by one; composed text input is not used.
  SDL_StopTextInput();
  return true;
}

bool waitEvent(InputEvent& event) {
  // The first wait for input follows the first complete frame: the moment tests may look and tap.
  if (!readyAnnounced && lastPixels) announceReady();
  SDL_Event e;
  // Without the claim nothing else needs answering: wait for the next event alone.
  if (posix::instanceSocket() < 0 || !window) {
    while (SDL_WaitEvent(&e)) {
      if (translate(e, event)) return true;
    }
    return false;
  }
  // SDL cannot wait on the socket too, so the wait is cut into short ones.
  for (;;) {
    serveOtherCopies();
    if (SDL_WaitEventTimeout(&e, static_cast<int>(requestPollMs)) && translate(e, event))
      return true;
  }
}

bool pollEvent(InputEvent& event) {
  serveOtherCopies();
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    if (translate(e, event)) return true;
  }
  return false;
}

void present(const std::uint32_t* pixels, int width, int height, const Rect& changed) {
  if (!window || width != screenWidth || height != screenHeight) return;
  lastPixels = pixels;
  Rect r{std::max(changed.left, 0), std::max(changed.top, 0), std::min(changed.right, width),
         std::min(changed.bottom, height)};
  if (r.right > r.left && r.bottom > r.top) blitScaled(pixels, r);
}

void sleep(int milliseconds) {
  // Presenting writes through to the window at once, so the frame is already on the screen.
  if (milliseconds > 0) SDL_Delay(static_cast<Uint32>(milliseconds));
}

std::uint32_t ticks() {
  return SDL_GetTicks();
}

void setCursor(Cursor cursor, bool visible) {
  if (!window) return;
  static constexpr SDL_SystemCursor systemCursors[] = {
      SDL_SYSTEM_CURSOR_ARROW, SDL_SYSTEM_CURSOR_HAND, SDL_SYSTEM_CURSOR_WAIT};
  auto index = static_cast<std::size_t>(cursor);
  if (index < std::size(cursors)) {
    if (!cursors[index]) cursors[index] = SDL_CreateSystemCursor(systemCursors[index]);
    if (cursors[index]) SDL_SetCursor(cursors[index]);
  }
  SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

bool playWave(int clipId, const unsigned char* data, std::size_t size) {
  if (!openDevice() || !data || size == 0 || size > 0x7fffffff) return false;
  const std::vector<Uint8>* pcm = cachedClip(clipId);
  if (pcm == nullptr) {
    SDL_RWops* source = SDL_RWFromConstMem(data, static_cast<int>(size));
    if (!source) return false;
    SDL_AudioSpec clipFormat;
    Uint8* samples = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV_RW(source, 1, &clipFormat, &samples, &length)) return false;
    pcm = cacheClip(clipId, toDeviceFormat(clipFormat, samples, length));
    SDL_FreeWAV(samples);
    if (pcm == nullptr) return false;
  }
  return queueClip(*pcm);
}

void beep(unsigned kind) {
  if (!openDevice()) return;
  const int id = beepCacheBase - static_cast<int>(kind);
  const std::vector<Uint8>* pcm = cachedClip(id);
  if (pcm == nullptr) {
    constexpr int rate = 22050;
    // The exclamation beep is lower and longer, so the two are told apart by ear.
    const double frequency = kind == 0x30 ? 660.0 : 880.0;
    const int count = rate * (kind == 0x30 ? 180 : 100) / 1000;
    const int fade = rate * 5 / 1000;
    std::vector<Sint16> tone(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
      const double envelope =
          std::min({1.0, static_cast<double>(i) / fade, static_cast<double>(count - 1 - i) / fade});
      tone[static_cast<std::size_t>(i)] = static_cast<Sint16>(
          8000.0 * envelope * std::sin(2.0 * std::numbers::pi * frequency * i / rate));
    }
    SDL_AudioSpec toneFormat{};
    toneFormat.freq = rate;
    toneFormat.format = AUDIO_S16SYS;
    toneFormat.channels = 1;
    pcm = cacheClip(id, toDeviceFormat(toneFormat, reinterpret_cast<const Uint8*>(tone.data()),
                                       static_cast<Uint32>(tone.size() * sizeof(Sint16))));
    if (pcm == nullptr) return;
  }
  queueClip(*pcm);
}

int language() {
  return languageFromEnvironment();
}

void raiseWindow() {
  if (window) SDL_RaiseWindow(window);
}

}  // namespace platform::host

// The settings file and the single-instance claim.
namespace platform::host {

int loadSettings(char* buffer, int capacity) {
  char path[4096];
  if (!posix::desktopSettingsPath(path, sizeof path)) return -1;
  return posix::readSettingsFile(path, buffer, capacity);
}

bool saveSettings(const char* text, int length) {
  char path[4096];
  if (!posix::desktopSettingsPath(path, sizeof path)) {
    std::fprintf(stderr,
                 "zandrel: settings not saved: neither XDG_CONFIG_HOME nor HOME is an absolute "
                 "path\n");
    return false;
  }
  return posix::writeSettingsFile(path, text, length);
}

InstanceClaim claimInstance(const char16_t* name) {
  return posix::claimInstance(name);
}

void releaseInstance() {
  posix::releaseInstance();
}

bool otherInstanceRunning(const char16_t* name) {
  return posix::otherInstanceRunning(name);
}

bool raiseOtherInstance(const char16_t* name) {
  return posix::raiseOtherInstance(name);
}

}  // namespace platform::host
