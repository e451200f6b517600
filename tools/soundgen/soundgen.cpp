// soundgen DIRECTORY
//
// Makes the program's five sound clips and writes them as DIRECTORY/<id>.wav (RIFF WAVE, PCM,
// mono). resources/sounds/*.wav were made by this program and are checked in as data; to change a
// clip, change it here and run `soundgen resources/sounds` from the repository root.
//
//   1999  a stone put on the board: a wooden click          0.1 s   11025 Hz   8-bit
//   2010  a soft tick                                        0.1 s   11025 Hz   8-bit
//   2030  "Good": a light two-note chime                     0.25 s  22050 Hz  16-bit
//   2090  a low tone                                         0.5 s   22050 Hz  16-bit
//   2095  "Success": a brighter three-note rising phrase     0.75 s  11025 Hz  16-bit
//
// Everything is computed from fixed numbers and a fixed-seed generator of our own (the standard
// distributions differ between library implementations), so a run gives the same bytes again.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr double twoPi = 2.0 * std::numbers::pi;

// xorshift32 white noise in [-1, 1).
class Noise {
 public:
  explicit Noise(std::uint32_t seed) : state_(seed) {}
  double next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<double>(state_) / 2147483648.0 - 1.0;
  }

 private:
  std::uint32_t state_;
};

// A two-pole band-pass filter (constant peak gain), to colour the noise.
class BandPass {
 public:
  BandPass(double rate, double centre, double q) {
    const double w = twoPi * centre / rate;
    const double alpha = std::sin(w) / (2.0 * q);
    const double a0 = 1.0 + alpha;
    b0_ = alpha / a0;
    b2_ = -alpha / a0;
    a1_ = -2.0 * std::cos(w) / a0;
    a2_ = (1.0 - alpha) / a0;
  }
  double next(double x) {
    const double y = b0_ * x + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
    x2_ = x1_;
    x1_ = x;
    y2_ = y1_;
    y1_ = y;
    return y;
  }

 private:
  double b0_, b2_, a1_, a2_;
  double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

struct Clip {
  int id;
  int rate;
  int bits;
  std::vector<double> samples;  // -1..1
};

Clip makeClip(int id, int rate, int bits, int milliseconds) {
  return Clip{id, rate, bits,
              std::vector<double>(static_cast<std::size_t>(rate * milliseconds / 1000), 0.0)};
}

double seconds(const Clip& clip, std::size_t i) {
  return static_cast<double>(i) / clip.rate;
}

// Adds a sine of `frequency` starting at `onset` seconds, decaying with time constant `decay`.
void addDecayingSine(Clip& clip, double frequency, double amplitude, double onset, double decay) {
  for (std::size_t i = 0; i < clip.samples.size(); ++i) {
    const double t = seconds(clip, i) - onset;
    if (t < 0) continue;
    clip.samples[i] += amplitude * std::exp(-t / decay) * std::sin(twoPi * frequency * t);
  }
}

// One struck note: partials at the given multiples of `frequency`, the higher ones dying sooner
// (which is what makes a struck sound), with a short attack so a later note starts without a click.
struct Partial {
  double multiple, amplitude, decayShare;
};
void addNote(Clip& clip, double frequency, double amplitude, double onset, double decay,
             const std::vector<Partial>& partials) {
  const double attack = 0.003;
  for (const Partial& p : partials) {
    // Partials at or above the Nyquist limit would fold back as off-key tones.
    if (frequency * p.multiple >= 0.45 * clip.rate) continue;
    for (std::size_t i = 0; i < clip.samples.size(); ++i) {
      const double t = seconds(clip, i) - onset;
      if (t < 0) continue;
      const double rise = t < attack ? 0.5 - 0.5 * std::cos(std::numbers::pi * t / attack) : 1.0;
      clip.samples[i] += amplitude * p.amplitude * rise * std::exp(-t / (decay * p.decayShare)) *
                         std::sin(twoPi * frequency * p.multiple * t);
    }
  }
}

// Raised-cosine fades over the first and last milliseconds: both ends are exactly silent.
void fade(Clip& clip, double inMilliseconds, double outMilliseconds) {
  const auto count = clip.samples.size();
  const auto in = static_cast<std::size_t>(clip.rate * inMilliseconds / 1000.0);
  const auto out = static_cast<std::size_t>(clip.rate * outMilliseconds / 1000.0);
  for (std::size_t i = 0; i < in && i < count; ++i)
    clip.samples[i] *= 0.5 - 0.5 * std::cos(std::numbers::pi * static_cast<double>(i) / in);
  for (std::size_t k = 0; k < out && k < count; ++k)
    clip.samples[count - 1 - k] *=
        0.5 - 0.5 * std::cos(std::numbers::pi * static_cast<double>(k) / out);
}

// Scales the clip so its largest sample is `peak` of full scale.
void normalise(Clip& clip, double peak) {
  double largest = 0;
  for (double s : clip.samples) largest = std::max(largest, std::abs(s));
  if (largest > 0)
    for (double& s : clip.samples) s *= peak / largest;
}

Clip stoneClick() {
  Clip clip = makeClip(1999, 11025, 8, 100);
  // The tap: bright noise gone within a few milliseconds.
  Noise noise(0x5eed1999u);
  BandPass colour(clip.rate, 2400.0, 1.2);
  for (std::size_t i = 0; i < clip.samples.size(); ++i)
    clip.samples[i] += 1.6 * std::exp(-seconds(clip, i) / 0.0035) * colour.next(noise.next());
  // The board's knock: a few low wooden modes ringing briefly.
  addDecayingSine(clip, 310.0, 0.55, 0.0, 0.020);
  addDecayingSine(clip, 740.0, 0.35, 0.0, 0.011);
  addDecayingSine(clip, 1560.0, 0.25, 0.0, 0.006);
  fade(clip, 0.7, 15.0);
  normalise(clip, 0.6);
  return clip;
}

Clip softTick() {
  Clip clip = makeClip(2010, 11025, 8, 100);
  Noise noise(0x5eed2010u);
  BandPass colour(clip.rate, 3200.0, 2.0);
  for (std::size_t i = 0; i < clip.samples.size(); ++i)
    clip.samples[i] += 0.6 * std::exp(-seconds(clip, i) / 0.0015) * colour.next(noise.next());
  addDecayingSine(clip, 1800.0, 0.5, 0.0, 0.004);
  fade(clip, 0.5, 10.0);
  normalise(clip, 0.3);
  return clip;
}

Clip goodChime() {
  Clip clip = makeClip(2030, 22050, 16, 250);
  // Nearly pure, with a faint inharmonic partial for the glassy edge of a small bell.
  const std::vector<Partial> light = {{1.0, 1.0, 1.0}, {2.0, 0.25, 0.5}, {4.07, 0.06, 0.25}};
  addNote(clip, 1318.51, 1.0, 0.0, 0.09, light);   // E6
  addNote(clip, 1760.00, 0.9, 0.08, 0.10, light);  // A6
  fade(clip, 1.0, 30.0);
  normalise(clip, 0.45);
  return clip;
}

Clip lowTone() {
  Clip clip = makeClip(2090, 22050, 16, 500);
  const std::vector<Partial> warm = {{1.0, 1.0, 1.0}, {2.0, 0.2, 0.6}, {3.0, 0.05, 0.4}};
  addNote(clip, 196.0, 1.0, 0.0, 0.35, warm);  // G3
  // The note's own attack is for notes in a phrase; a tone alone comes in more gently.
  fade(clip, 20.0, 80.0);
  normalise(clip, 0.35);
  return clip;
}

Clip successPhrase() {
  Clip clip = makeClip(2095, 11025, 16, 750);
  // More and stronger harmonics than the chime: brighter, and the last note rings on.
  const std::vector<Partial> bright = {{1.0, 1.0, 1.0}, {2.0, 0.45, 0.6}, {3.0, 0.25, 0.4}};
  addNote(clip, 1046.50, 0.85, 0.00, 0.12, bright);  // C6
  addNote(clip, 1318.51, 0.90, 0.12, 0.12, bright);  // E6
  addNote(clip, 1567.98, 1.00, 0.24, 0.28, bright);  // G6
  fade(clip, 1.0, 60.0);
  normalise(clip, 0.5);
  return clip;
}

void put16(std::string& out, unsigned value) {
  out += static_cast<char>(value & 0xff);
  out += static_cast<char>((value >> 8) & 0xff);
}
void put32(std::string& out, std::uint32_t value) {
  put16(out, value & 0xffff);
  put16(out, value >> 16);
}

// The clip as a RIFF WAVE file: 8-bit samples are unsigned (silence 128), 16-bit ones signed.
std::string waveFile(const Clip& clip) {
  const unsigned bytesPerSample = static_cast<unsigned>(clip.bits / 8);
  const auto dataSize = static_cast<std::uint32_t>(clip.samples.size() * bytesPerSample);
  const std::uint32_t pad = dataSize % 2;  // chunks are padded to an even size
  std::string out = "RIFF";
  put32(out, 4 + (8 + 16) + (8 + dataSize + pad));
  out += "WAVEfmt ";
  put32(out, 16);
  put16(out, 1);  // PCM
  put16(out, 1);  // mono
  put32(out, static_cast<std::uint32_t>(clip.rate));
  put32(out, static_cast<std::uint32_t>(clip.rate) * bytesPerSample);
  put16(out, bytesPerSample);
  put16(out, static_cast<unsigned>(clip.bits));
  out += "data";
  put32(out, dataSize);
  for (double s : clip.samples) {
    if (clip.bits == 8) {
      out += static_cast<char>(std::clamp(std::lround(128.0 + 127.0 * s), 0L, 255L));
    } else {
      const long value = std::clamp(std::lround(32767.0 * s), -32768L, 32767L);
      put16(out, static_cast<unsigned>(value) & 0xffff);
    }
  }
  if (pad) out += '\0';
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: soundgen DIRECTORY\n");
    return 2;
  }
  const Clip clips[] = {stoneClick(), softTick(), goodChime(), lowTone(), successPhrase()};
  for (const Clip& clip : clips) {
    const std::string path = std::string(argv[1]) + "/" + std::to_string(clip.id) + ".wav";
    const std::string bytes = waveFile(clip);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    const bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (!file || std::fclose(file) != 0 || !written) {
      std::fprintf(stderr, "soundgen: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
