// zandrel-soak [EVENTS] [SEED]: plays random events on the headless host (virtual clock) over all
// the catalogue's problems and checks after every one the game object's consistency
// (checkConsistency) and the screen against a full repaint (checkScreenMatchesRepaint). Exits 1
// at the first fault, naming the event that showed it and how to replay the run.
#include <chrono>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "board/consistency.h"
#include "tools/check/screen_check.h"
#include "tools/play_session.h"

namespace {

// splitmix64: the same stream on every platform, so a seed replays anywhere.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
  }
  // 0 <= n < bound.
  int below(int bound) { return static_cast<int>(next() % static_cast<std::uint64_t>(bound)); }
  int between(int low, int high) { return low + below(high - low + 1); }
  bool chance(int percent) { return below(100) < percent; }

 private:
  std::uint64_t state_;
};

int screenW() {
  return platform::screenWidth();
}
int screenH() {
  return platform::screenHeight();
}

// A device pixel near a point of the board (one ring beyond the shown board included).
play::Event boardTap(Random& random) {
  const GoBoard& b = goBoard;
  const int column = random.between(0, b.columnsShown + 1);
  const int row = random.between(0, b.rowsShown + 1);
  const int jitter = b.cellSize / 2;
  play::Event e;
  e.kind = play::Kind::tap;
  e.x = b.columnToX(column) + (random.chance(70) ? 0 : random.between(-jitter, jitter));
  e.y = b.rowToY(row) + platform::topBarHeight +
        (random.chance(70) ? 0 : random.between(-jitter, jitter));
  return e;
}

int randomKey(Random& random) {
  static const int keys[] = {platform::key::enter,
                             platform::key::escape,
                             platform::key::backspace,
                             platform::key::f4,
                             platform::key::keypad0,
                             0x40000059,
                             platform::key::f4 | platform::key::altModifier,
                             '/',
                             ' ',
                             'a',
                             'q'};
  if (random.chance(30)) return '0' + random.below(10);
  if (random.chance(5)) return static_cast<int>(random.next() & 0x7fffffff);
  return keys[random.below(static_cast<int>(sizeof keys / sizeof keys[0]))];
}

// Keys that answer the problem selection dialog, a message box, or anything else modal.
std::vector<int> randomAnswer(Random& random) {
  std::vector<int> keys;
  switch (random.below(6)) {
    case 0:
      keys.push_back(platform::key::escape);
      break;
    case 1:
      keys.push_back(platform::key::enter);
      break;
    case 2:
      break;  // none: the box ends idle
    default: {
      const int digits = random.between(1, 3);
      for (int i = 0; i < digits; ++i) keys.push_back('0' + random.below(10));
      if (random.chance(15)) keys.push_back(platform::key::backspace);
      if (random.chance(10)) keys.push_back('0' + random.below(10));
      keys.push_back(platform::key::enter);
    }
  }
  return keys;
}

play::Event pixelEvent(Random& random, play::Kind kind) {
  play::Event e;
  e.kind = kind;
  e.x = random.between(-40, screenW() + 40);
  e.y = random.between(-40, screenH() + 40);
  return e;
}

// Random events seldom fill a board: now and then a stretch of play on the points alone, in free
// play, so that the rules' rarer moves (suicide, ko, captures along the edges) come up often.
int stretchLeft = 0;

play::Event stretchEvent(Random& random) {
  --stretchLeft;
  // Into free play at the start, mostly back to solving at the end.
  const bool wanted = stretchLeft > 0 || random.chance(30);
  if ((goBoard.freePlay != 0) != wanted && goBoard.problemLoaded != 0 && random.chance(50)) {
    play::Event e;
    e.kind = play::Kind::command;
    e.code = ids::command::mode;
    return e;
  }
  if (goBoard.columnsShown < 1 || goBoard.rowsShown < 1) return boardTap(random);
  // The point of a single stone just taken: playing there at once tries the ko.
  static int before[boardArraySize][boardArraySize], now[boardArraySize][boardArraySize];
  std::memcpy(before, now, sizeof now);
  std::memcpy(now, goBoard.cells, sizeof now);
  int column = random.between(1, goBoard.columnsShown);
  int row = random.between(1, goBoard.rowsShown);
  if (goBoard.lastCaptureCount == 1 && random.chance(60))
    for (int c = 1; c <= goBoard.columnsShown; ++c)
      for (int r = 1; r <= goBoard.rowsShown; ++r)
        if (now[c][r] == empty && before[c][r] != empty &&
            (c != goBoard.lastMove.column || r != goBoard.lastMove.row)) {
          column = c;
          row = r;
        }
  // On the point itself: a stretch is for the rules, not for the hit test.
  play::Event e;
  e.kind = play::Kind::tap;
  e.x = goBoard.columnToX(column);
  e.y = goBoard.rowToY(row) + platform::topBarHeight;
  return e;
}

play::Event randomEvent(Random& random) {
  if (stretchLeft > 0) return stretchEvent(random);
  if (random.chance(2)) {
    stretchLeft = random.between(20, 120);
    return stretchEvent(random);
  }
  play::Event e;
  const int roll = random.below(100);
  if (roll < 34) return boardTap(random);
  if (roll < 40) return pixelEvent(random, play::Kind::tap);
  if (roll < 44) {
    // The menu bar: its buttons, and the popup they open.
    e = pixelEvent(random, play::Kind::tap);
    e.y = random.between(screenH() - 2 * platform::menuBarHeight, screenH() - 1);
    return e;
  }
  if (roll < 47) return pixelEvent(random, random.chance(50) ? play::Kind::down : play::Kind::up);
  if (roll < 50) return pixelEvent(random, play::Kind::move);
  if (roll < 54) return pixelEvent(random, play::Kind::secondary);
  if (roll < 59) {
    e.kind = play::Kind::key;
    e.code = randomKey(random);
    return e;
  }
  if (roll < 63) {
    e.kind = play::Kind::answer;
    e.keys = randomAnswer(random);
    return e;
  }
  if (roll < 64) {
    static const play::Kind host[] = {play::Kind::close, play::Kind::expose, play::Kind::activate};
    e.kind = host[random.below(3)];
    e.code = random.below(2);
    // A close ends the session: seldom, so that play goes deep.
    if (e.kind == play::Kind::close && !random.chance(10)) e.kind = play::Kind::expose;
    return e;
  }
  e.kind = play::Kind::command;
  if (random.chance(2)) {
    e.code = random.below(65536);
    return e;
  }
  e.code = play::commandIds[random.below(play::commandIdCount)];
  // Quit and "ok" end the session: let most of them pass as something else.
  if ((e.code == ids::command::quit || e.code == ids::command::ok) && !random.chance(5))
    e.code = ids::command::pass;
  return e;
}

struct Context {
  Random* random;
};

// A modal box waiting for input gets keys or a tap, like a player would give it.
bool answerBox(void* context, play::Event& e) {
  Random& random = *static_cast<Context*>(context)->random;
  if (random.chance(60)) {
    e.kind = play::Kind::key;
    e.code = random.chance(70) ? '0' + random.below(10) : randomKey(random);
    if (random.chance(40))
      e.code = random.chance(50) ? platform::key::enter : platform::key::escape;
    return true;
  }
  if (random.chance(80)) {
    e = pixelEvent(random, play::Kind::tap);
    return true;
  }
  return false;
}

bool parseCount(const char* text, std::uint64_t& value) {
  if (text[0] == '\0' || text[0] == '-') return false;
  char* end = nullptr;
  value = std::strtoull(text, &end, 10);
  return *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
  std::uint64_t events = 1000000;
  std::uint64_t seed =
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  if (argc > 3 || (argc >= 2 && !parseCount(argv[1], events)) ||
      (argc == 3 && !parseCount(argv[2], seed))) {
    std::fprintf(stderr, "usage: zandrel-soak [EVENTS] [SEED]\n");
    return 2;
  }
  std::printf("zandrel-soak: %" PRIu64 " events, seed %" PRIu64 "\n", events, seed);
  std::fflush(stdout);

  Random random(seed);
  Context context{&random};
  play::Session::Start start;
  // The number saved by an earlier run: none, a problem, or a value no problem has.
  const std::uint32_t saved[] = {0, 1, 4, 7, 10, 11, 0x7fffffffu, 0x80000000u};
  const std::uint32_t first = saved[random.below(8)];
  if (first != 0) start.settings = play::settingsWithProblemNumber(first);
  play::Session session(start);
  session.setAnswerSource(answerBox, &context);

  bool opened[catalogueSize + 1] = {};
  std::uint64_t solved = 0, failed = 0;
  bool wasSolved = false, wasFailed = false;
  const auto began = std::chrono::steady_clock::now();
  std::string failure = session.begin();
  for (std::uint64_t i = 0; failure.empty() && i < events; ++i) {
    const play::Event e = randomEvent(random);
    failure = session.apply(e);
    if (failure.empty()) failure = checkConsistency(goBoard);
    // Of what the host recorded only the drawing counts (dropping the rest keeps the run's memory
    // flat): the screen is checked after an event that showed something. After a quit the
    // program has ended, and what its last moments left unpainted stays so.
    const bool drew = platform::headless::takeRecord().presents > 0;
    if (failure.empty() && drew && session.running()) failure = checkScreenMatchesRepaint(goBoard);
    if (!failure.empty()) {
      std::fprintf(stderr,
                   "zandrel-soak: event %" PRIu64 " (%s): %s\nreplay with: zandrel-soak %" PRIu64
                   " %" PRIu64 "\n",
                   i, play::describe(e).c_str(), failure.c_str(), i + 1, seed);
      return 1;
    }
    if (goBoard.problemLoaded != 0) opened[goBoard.problemNumber] = true;
    solved += goBoard.solved != 0 && !wasSolved;
    failed += goBoard.failed != 0 && !wasFailed;
    wasSolved = goBoard.solved != 0;
    wasFailed = goBoard.failed != 0;
  }
  if (!failure.empty()) {
    std::fprintf(stderr,
                 "zandrel-soak: before the first event: %s\nreplay with: zandrel-soak 0 %" PRIu64
                 "\n",
                 failure.c_str(), seed);
    return 1;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  int problems = 0;
  for (bool o : opened) problems += o ? 1 : 0;
  std::printf("zandrel-soak: %" PRIu64
              " events in %.1f s, %.0f events per second; %d sessions, %d of %d "
              "problems played, %" PRIu64 " solved, %" PRIu64 " failed\n",
              events, seconds, seconds > 0 ? static_cast<double>(events) / seconds : 0.0,
              session.sessions(), problems, catalogueSize, solved, failed);
  return 0;
}
