// The built-in sound clips, and playing them and beeps through the host (the headless one here).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "resources/sounds.h"

using namespace platform;

namespace {

struct ClipFacts {
  int id;
  int rate;
  int bits;
  int milliseconds;
};

constexpr ClipFacts clipFacts[] = {
    {1999, 11025, 8, 100},   // a move the rules accept
    {2010, 11025, 8, 100},   // carried, never played
    {2030, 22050, 16, 250},  // "Good"
    {2090, 22050, 16, 500},  // carried, never played
    {2095, 11025, 16, 750},  // "Success"
};

struct Wave {
  unsigned format = 0, channels = 0, blockAlign = 0, bits = 0;
  std::uint32_t rate = 0, byteRate = 0;
  const unsigned char* samples = nullptr;
  std::size_t sampleBytes = 0;
};

unsigned read16(const unsigned char* p) {
  return p[0] | (p[1] << 8);
}
std::uint32_t read32(const unsigned char* p) {
  return read16(p) | (static_cast<std::uint32_t>(read16(p + 2)) << 16);
}

// Reads a RIFF WAVE file the way a player walks it: chunk by chunk, each padded to an even size.
// Returns an empty string on success, else what is wrong.
std::string parseWave(const unsigned char* data, std::size_t size, Wave& wave) {
  if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
    return "no RIFF WAVE header";
  if (read32(data + 4) + 8 != size) return "RIFF size disagrees with the file size";
  bool haveFormat = false;
  std::size_t at = 12;
  while (at + 8 <= size) {
    const std::uint32_t length = read32(data + at + 4);
    const unsigned char* body = data + at + 8;
    if (length > size - at - 8) return "chunk runs past the end";
    if (std::memcmp(data + at, "fmt ", 4) == 0) {
      if (length < 16) return "format chunk too short";
      wave.format = read16(body);
      wave.channels = read16(body + 2);
      wave.rate = read32(body + 4);
      wave.byteRate = read32(body + 8);
      wave.blockAlign = read16(body + 12);
      wave.bits = read16(body + 14);
      haveFormat = true;
    } else if (std::memcmp(data + at, "data", 4) == 0) {
      if (!haveFormat) return "data before format";
      wave.samples = body;
      wave.sampleBytes = length;
      return "";
    }
    at += 8 + length + (length & 1);
  }
  return "no data chunk";
}

// The samples as fractions of full scale (8-bit PCM is unsigned around 128, 16-bit signed).
std::vector<double> decode(const Wave& wave) {
  std::vector<double> out;
  if (wave.bits == 8) {
    for (std::size_t i = 0; i < wave.sampleBytes; ++i)
      out.push_back((wave.samples[i] - 128) / 128.0);
  } else {
    for (std::size_t i = 0; i + 1 < wave.sampleBytes; i += 2)
      out.push_back(static_cast<std::int16_t>(read16(wave.samples + i)) / 32768.0);
  }
  return out;
}

bool loadClip(int id, Wave& wave) {
  const unsigned char* data = nullptr;
  std::size_t size = 0;
  if (!resources::findSound(id, data, size)) {
    ADD_FAILURE() << "clip " << id << " is not built in";
    return false;
  }
  const std::string problem = parseWave(data, size, wave);
  if (!problem.empty()) ADD_FAILURE() << "clip " << id << ": " << problem;
  return problem.empty();
}

std::vector<std::string> sounds(std::initializer_list<const char*> names) {
  return std::vector<std::string>(names.begin(), names.end());
}

// Turns the sound device off for one test, and back on whatever happens.
struct SoundDeviceMissing {
  SoundDeviceMissing() { headless::setAudioAvailable(false); }
  ~SoundDeviceMissing() { headless::setAudioAvailable(true); }
};

TEST(SoundClips, EachIsMonoPcmInItsOwnRateWidthAndLength) {
  for (const ClipFacts& facts : clipFacts) {
    SCOPED_TRACE(facts.id);
    Wave wave;
    if (!loadClip(facts.id, wave)) continue;
    EXPECT_EQ(wave.format, 1u);
    EXPECT_EQ(wave.channels, 1u);
    EXPECT_EQ(wave.rate, static_cast<std::uint32_t>(facts.rate));
    EXPECT_EQ(wave.bits, static_cast<unsigned>(facts.bits));
    EXPECT_EQ(wave.blockAlign, static_cast<unsigned>(facts.bits / 8));
    EXPECT_EQ(wave.byteRate, wave.rate * wave.blockAlign);
    ASSERT_GT(wave.blockAlign, 0u);
    EXPECT_EQ(wave.sampleBytes % wave.blockAlign, 0u);
    const double frames = static_cast<double>(wave.sampleBytes / wave.blockAlign);
    EXPECT_NEAR(frames, facts.rate * facts.milliseconds / 1000.0, 1.0);
  }
}

// A clip that starts or stops away from silence clicks; one at full scale distorts on the way out.
TEST(SoundClips, StartAndEndSilentAndStayWellBelowFullScale) {
  for (const ClipFacts& facts : clipFacts) {
    SCOPED_TRACE(facts.id);
    Wave wave;
    if (!loadClip(facts.id, wave)) continue;
    const std::vector<double> samples = decode(wave);
    ASSERT_FALSE(samples.empty());
    const double step = wave.bits == 8 ? 1 / 128.0 : 1 / 32768.0;
    EXPECT_LE(std::abs(samples.front()), step);
    EXPECT_LE(std::abs(samples.back()), step);
    double peak = 0;
    for (double s : samples) peak = std::max(peak, std::abs(s));
    EXPECT_GT(peak, 0.1) << "too quiet to hear";
    EXPECT_LT(peak, 0.8) << "too loud";
  }
}

TEST(SoundClips, UnknownIdsAreNotFoundAndLeaveTheOutputsAlone) {
  for (int id : {0, -1, 101, 1998, 2000, 2029, 2031, 2096}) {
    SCOPED_TRACE(id);
    const unsigned char marker = 0;
    const unsigned char* data = &marker;
    std::size_t size = 7;
    EXPECT_FALSE(resources::findSound(id, data, size));
    EXPECT_EQ(data, &marker);
    EXPECT_EQ(size, 7u);
  }
}

TEST(PlaySound, PlaysEveryClipThroughTheHostById) {
  headless::takeRecord();
  for (const ClipFacts& facts : clipFacts) EXPECT_TRUE(playSoundResource(facts.id)) << facts.id;
  EXPECT_EQ(headless::takeRecord().sounds, sounds({"1999", "2010", "2030", "2090", "2095"}));
}

TEST(PlaySound, FailsAndPlaysNothingForAnUnknownClipOrWithoutASoundDevice) {
  headless::takeRecord();
  for (int id : {0, 1998, 2000, 2096}) EXPECT_FALSE(playSoundResource(id)) << id;
  EXPECT_TRUE(headless::takeRecord().sounds.empty());

  SoundDeviceMissing missing;
  EXPECT_FALSE(playSoundResource(1999));
  EXPECT_FALSE(playSoundResource(2095));
  EXPECT_TRUE(headless::takeRecord().sounds.empty());
}

TEST(Beep, EachKindReachesTheHost) {
  headless::takeRecord();
  beep(0);
  beep(0x30);
  beep(0);
  EXPECT_EQ(headless::takeRecord().sounds, sounds({"beep", "beep 48", "beep"}));
}

}  // namespace
