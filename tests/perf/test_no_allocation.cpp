// Nothing is allocated while the program is played: the real program runs on the headless host
// through a long scripted session (taps right and wrong, replies, takebacks, hints, problems,
// modes, the secondary button, keys, the menu bar), with every allocation function of the
// process replaced by one that counts while playing.
#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "board/go_board.h"
#include "platform/headless/headless.h"
#include "platform/host.h"
#include "platform/platform.h"
#include "shell/shell.h"

// glibc's own allocator, under the names it keeps for programs that replace malloc.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void __libc_free(void* pointer);
}

namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
std::atomic<long> releases{0};

// The sizes of the first allocations while playing, for the failure message.
constexpr int keptSizes = 16;
std::size_t sizes[keptSizes];

// Every allocation while playing passes here: a breakpoint on it shows where it came from.
[[gnu::noinline]] void allocationWhilePlaying(std::size_t size) {
  const long n = allocations.fetch_add(1);
  if (n < keptSizes) sizes[n] = size;
}

void noteAllocation(std::size_t size) {
  if (counting.load(std::memory_order_relaxed)) allocationWhilePlaying(size);
}

void noteRelease(void* pointer) {
  if (pointer != nullptr && counting.load(std::memory_order_relaxed)) releases.fetch_add(1);
}

void* allocate(std::size_t size) {
  noteAllocation(size);
  return __libc_malloc(size == 0 ? 1 : size);
}

void* allocateAligned(std::size_t size, std::align_val_t alignment) {
  noteAllocation(size);
  const auto a = static_cast<std::size_t>(alignment);
  // aligned_alloc wants a multiple of the alignment.
  return std::aligned_alloc(a, (size + a - 1) / a * a + (size == 0 ? a : 0));
}

void release(void* pointer) {
  noteRelease(pointer);
  __libc_free(pointer);
}

}  // namespace

extern "C" {
void* malloc(std::size_t size) noexcept {
  noteAllocation(size);
  return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) noexcept {
  noteAllocation(count * size);
  return __libc_calloc(count, size);
}
void* realloc(void* pointer, std::size_t size) noexcept {
  noteAllocation(size);
  return __libc_realloc(pointer, size);
}
void free(void* pointer) noexcept {
  release(pointer);
}
}

void* operator new(std::size_t size) {
  if (void* p = allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  if (void* p = allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return allocate(size);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
  if (void* p = allocateAligned(size, alignment)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  if (void* p = allocateAligned(size, alignment)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return allocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return allocateAligned(size, alignment);
}
void operator delete(void* p) noexcept {
  release(p);
}
void operator delete[](void* p) noexcept {
  release(p);
}
void operator delete(void* p, std::size_t) noexcept {
  release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  release(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
  release(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
  release(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
  release(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
  release(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
  release(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
  release(p);
}

namespace {

using platform::host::EventKind;

constexpr int commandReplay = ids::command::replay;
constexpr int commandNextProblem = ids::command::nextProblem;
constexpr int commandPrevProblem = ids::command::prevProblem;
constexpr int commandBack = ids::command::back;
constexpr int commandSoftKey = ids::command::softKey;
constexpr int commandSoundOn = ids::command::soundOn;
constexpr int commandMode = ids::command::mode;
constexpr int commandPass = ids::command::pass;

// What the session saw, kept in plain counters: nothing here may allocate while playing.
struct Tally {
  long notifications[5] = {};  // 1026..1030
  long quits = 0;
  long refusedEvents = 0;
  long steps = 0;
};

// A small fixed generator, so the session is the same on every run.
struct Random {
  std::uint32_t state = 12345;
  int below(int n) {
    state = state * 1664525u + 1013904223u;
    return static_cast<int>((state >> 8) % static_cast<std::uint32_t>(n));
  }
};

// Random play of the program, tallying what it did.
class Player {
 public:
  Tally tally;

  // The program's own loop, stopping when idle instead of waiting; a quit is counted and left
  // out, so the run goes on.
  void pump() {
    shell::runUntilIdle(
        [](void* context, const platform::Message& m) {
          Tally& t = *static_cast<Tally*>(context);
          if (m.id == platform::msg::quit) {
            ++t.quits;
            return false;
          }
          if (m.id >= notifyMoveAccepted && m.id <= notifyProblemOpened)
            ++t.notifications[m.id - notifyMoveAccepted];
          return true;
        },
        &tally);
  }

  // One step of play, chosen at random, then the loop runs until idle.
  void step() {
    ++tally.steps;
    const int choice = random.below(100);
    if (choice < 40) {
      tapAnswer();
    } else if (choice < 52) {
      tapClient(random.below(clientWidth()), random.below(clientHeight()));
    } else if (choice < 56) {
      stroke();
    } else if (choice < 60) {
      device(EventKind::stylusMove, random.below(clientWidth()),
             platform::topBarHeight + random.below(clientHeight()));
    } else if (choice < 64) {
      device(EventKind::secondaryUp, random.below(clientWidth()),
             platform::topBarHeight + random.below(clientHeight()));
    } else if (choice < 70) {
      command(commandBack);
    } else if (choice < 75) {
      command(commandSoftKey);
    } else if (choice < 78) {
      command(commandNextProblem);
    } else if (choice < 81) {
      command(commandMode);
    } else if (choice < 83) {
      command(commandPass);
    } else if (choice < 85) {
      command(random.below(2) == 0 ? commandReplay : commandPrevProblem);
    } else if (choice < 86) {
      // Sound off and on again, so the clips keep playing.
      command(commandSoundOn);
      command(commandSoundOn);
    } else if (choice < 91) {
      const int keys[] = {
          platform::key::enter,      platform::key::escape, platform::key::backspace, 'a', '5',
          platform::key::keypad0 - 3};
      device(EventKind::key, 0, 0, keys[random.below(6)]);
    } else if (choice < 95) {
      // The soft key, at the right-hand end of the menu bar.
      tapDevice(platform::screenWidth() - 3, platform::screenHeight() - 10);
    } else {
      // "Menu" opens the popup upwards; a tap beside it closes it again.
      tapDevice(2, platform::screenHeight() - 10);
      tapDevice(platform::screenWidth() - 3, platform::topBarHeight + 10);
    }
    pump();
  }

 private:
  Random random;

  static int clientWidth() { return platform::screenWidth(); }
  static int clientHeight() {
    return platform::screenHeight() - platform::topBarHeight - platform::menuBarHeight;
  }

  void device(EventKind kind, int x, int y, int key = 0) {
    if (!platform::headless::pushEvent({kind, x, y, key})) ++tally.refusedEvents;
  }
  void tapDevice(int x, int y) {
    device(EventKind::stylusDown, x, y);
    device(EventKind::stylusUp, x, y);
    pump();
  }
  void tapClient(int x, int y) { tapDevice(x, y + platform::topBarHeight); }

  void stroke() {
    int x = random.below(clientWidth()), y = random.below(clientHeight());
    device(EventKind::stylusDown, x, y + platform::topBarHeight);
    for (int i = 0; i < 3; ++i) {
      x = random.below(clientWidth());
      y = random.below(clientHeight());
      device(EventKind::stylusMove, x, y + platform::topBarHeight);
    }
    device(EventKind::stylusUp, x, y + platform::topBarHeight);
  }

  void command(int id) {
    platform::postMessage(shell::state.mainWindow, platform::msg::command,
                          static_cast<platform::WParam>(id), 0);
    pump();
  }

  // A move of the solution that leads to a correct end, tapped where it stands; a pass by its
  // command.
  void tapAnswer() {
    char answers[256];
    const int length = goBoard.collectAnswers(answers);
    if (length < 2) {
      command(commandSoftKey);
      return;
    }
    const int pick = 2 * random.below(length / 2);
    const int column = GoBoard::letterToNumber(answers[pick]);
    const int row = GoBoard::letterToNumber(answers[pick + 1]);
    if (GoBoard::isPass(column, row)) {
      command(commandPass);
      return;
    }
    tapClient(goBoard.columnToX(column), goBoard.rowToY(row));
  }
};

// Keeps a pointer where the compiler must assume it is read, so no allocation is left out.
void* volatile kept = nullptr;

TEST(NoAllocation, EveryAllocationFunctionIsCounted) {
  allocations = 0;
  releases = 0;
  counting = true;
  kept = new int(1);
  delete static_cast<int*>(kept);
  kept = new int[3];
  delete[] static_cast<int*>(kept);
  kept = new (std::nothrow) int(2);
  delete static_cast<int*>(kept);
  kept = new (std::nothrow) int[4];
  delete[] static_cast<int*>(kept);
  struct alignas(64) Wide {
    char bytes[64];
  };
  kept = new Wide;
  delete static_cast<Wide*>(kept);
  kept = new Wide[2];
  delete[] static_cast<Wide*>(kept);
  kept = std::malloc(10);
  kept = std::realloc(kept, 1000);
  std::free(kept);
  kept = std::calloc(3, 8);
  std::free(kept);
  counting = false;
  EXPECT_EQ(allocations.load(), 9);
  EXPECT_EQ(releases.load(), 8);
  allocations = 0;
  releases = 0;
}

TEST(NoAllocation, ALongSessionOfPlayAllocatesNothing) {
  ASSERT_TRUE(shell::startUp().running);
  Player session;
  session.pump();
  platform::headless::takeRecord();

  counting = true;
  for (int i = 0; i < 4000; ++i) session.step();
  counting = false;

  const platform::headless::Record record = platform::headless::takeRecord();
  std::string seen;
  for (int i = 0; i < keptSizes && i < allocations; ++i) {
    seen += ' ';
    seen += std::to_string(sizes[i]);
  }
  EXPECT_EQ(allocations.load(), 0) << "sizes of the first allocations:" << seen;
  EXPECT_EQ(releases.load(), 0);

  // The session really played: moves, replies, solutions, variations, hints and problems.
  const Tally& t = session.tally;
  EXPECT_EQ(t.quits, 0);
  EXPECT_EQ(t.refusedEvents, 0);
  EXPECT_GT(t.notifications[notifyMoveAccepted - notifyMoveAccepted], 1000);
  EXPECT_GT(t.notifications[notifySolved - notifyMoveAccepted], 50);
  EXPECT_GT(t.notifications[notifyFailed - notifyMoveAccepted], 50);
  EXPECT_GT(t.notifications[notifyVariationWaiting - notifyMoveAccepted], 0);
  EXPECT_GT(t.notifications[notifyProblemOpened - notifyMoveAccepted], 100);
  EXPECT_GT(record.presents, 1000);
  EXPECT_GT(record.dropped, 0) << "the session outgrew the host's record without allocating";
}

}  // namespace
