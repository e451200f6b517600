// Compares a window capture (XWD, as written by xwd) with a device-screen PNG, for the end-to-end
// tests; also converts a capture to PNG for people to look at.
//
//   xwd_compare CAPTURE.xwd REFERENCE.png [--scale N] [--region X Y W H] [--diff DIFF.png]
//   xwd_compare --to-png CAPTURE.xwd OUT.png
//
// The region is in reference pixels (default: all of it); each of its pixels must equal every
// pixel of its N x N block in the capture, and the capture must be exactly N times the reference.
// Exit status: 0 equal, 1 different, 2 bad input.
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// An RGB image, 0x00RRGGBB per pixel.
struct Image {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
  std::uint32_t at(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

[[noreturn]] void fail(const std::string& message) {
  std::fprintf(stderr, "xwd_compare: %s\n", message.c_str());
  std::exit(2);
}

std::uint32_t bigEndian32(const unsigned char* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         std::uint32_t{p[3]};
}

// The bits of `pixel` under `mask`, shifted down.
std::uint32_t bitsUnder(std::uint32_t pixel, std::uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  return (pixel & mask) >> shift;
}

// Scales the bits of `pixel` under `mask` to 0..255.
std::uint32_t channel(std::uint32_t pixel, std::uint32_t mask) {
  std::uint32_t bits = bitsUnder(mask, mask);
  if (bits == 0) return 0;
  std::uint32_t value = bitsUnder(pixel, mask);
  return bits == 0xff ? value : value * 255 / bits;
}

Image readXwd(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) fail("cannot open " + path);
  std::vector<unsigned char> data{std::istreambuf_iterator<char>(file),
                                  std::istreambuf_iterator<char>()};
  constexpr std::size_t headerFields = 25;
  if (data.size() < headerFields * 4) fail(path + ": too short for an XWD header");
  std::uint32_t field[headerFields];
  for (std::size_t i = 0; i < headerFields; ++i) field[i] = bigEndian32(&data[i * 4]);
  enum {
    headerSize,
    fileVersion,
    pixmapFormat,
    pixmapDepth,
    pixmapWidth,
    pixmapHeight,
    xOffset,
    byteOrder,
    bitmapUnit,
    bitmapBitOrder,
    bitmapPad,
    bitsPerPixel,
    bytesPerLine,
    visualClass,
    redMask,
    greenMask,
    blueMask,
    bitsPerRgb,
    colormapEntries,
    colourCount,
  };
  constexpr std::uint32_t zPixmap = 2, trueColour = 4, directColour = 5;
  constexpr std::size_t colourEntrySize = 12;
  if (field[fileVersion] != 7) fail(path + ": not an XWD version 7 file");
  if (field[pixmapFormat] != zPixmap) fail(path + ": only ZPixmap captures are handled");
  if (field[bitsPerPixel] != 24 && field[bitsPerPixel] != 32)
    fail(path + ": only 24 and 32 bits per pixel are handled");
  if (field[visualClass] != trueColour && field[visualClass] != directColour)
    fail(path + ": only TrueColor and DirectColor visuals are handled");
  if (field[byteOrder] > 1) fail(path + ": bad byte order");
  std::uint32_t width = field[pixmapWidth], height = field[pixmapHeight];
  if (width == 0 || height == 0 || width > 16384 || height > 16384) fail(path + ": bad size");
  std::size_t bytesPixel = field[bitsPerPixel] / 8;
  std::size_t stride = field[bytesPerLine];
  if (stride < width * bytesPixel) fail(path + ": bytes per line too small");
  std::size_t offset = std::size_t{field[headerSize]} + field[colourCount] * colourEntrySize;
  if (field[headerSize] < headerFields * 4 ||
      offset + stride * (height - 1) + width * bytesPixel > data.size())
    fail(path + ": truncated");

  // A DirectColor pixel indexes the colormap once per channel; what is seen is the entry's colour.
  std::vector<std::uint32_t> ramp[3];
  if (field[visualClass] == directColour) {
    const unsigned char* entries = &data[field[headerSize]];
    for (std::size_t i = 0; i < field[colourCount]; ++i) {
      const unsigned char* e = entries + i * colourEntrySize;
      for (int c = 0; c < 3; ++c) ramp[c].push_back(e[4 + c * 2]);  // high byte of 16 bits
    }
  }
  auto seen = [&](std::uint32_t value, std::uint32_t mask, int c) {
    if (ramp[c].empty()) return channel(value, mask);
    std::uint32_t index = bitsUnder(value, mask);
    if (index >= ramp[c].size()) fail(path + ": colormap too short for the pixel values");
    return ramp[c][index];
  };

  Image image;
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);
  image.pixels.resize(std::size_t{width} * height);
  bool mostSignificantFirst = field[byteOrder] == 1;
  for (std::size_t y = 0; y < height; ++y) {
    for (std::size_t x = 0; x < width; ++x) {
      const unsigned char* p = &data[offset + y * stride + x * bytesPixel];
      std::uint32_t value = 0;
      for (std::size_t b = 0; b < bytesPixel; ++b) {
        std::size_t index = mostSignificantFirst ? b : bytesPixel - 1 - b;
        value = (value << 8) | p[index];
      }
      image.pixels[y * width + x] = (seen(value, field[redMask], 0) << 16) |
                                    (seen(value, field[greenMask], 1) << 8) |
                                    seen(value, field[blueMask], 2);
    }
  }
  return image;
}

Image readPng(const std::string& path) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) fail(path + ": " + png.message);
  png.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr))
    fail(path + ": " + png.message);
  Image image;
  image.width = static_cast<int>(png.width);
  image.height = static_cast<int>(png.height);
  image.pixels.resize(rgb.size() / 3);
  for (std::size_t i = 0; i < image.pixels.size(); ++i)
    image.pixels[i] =
        (std::uint32_t{rgb[i * 3]} << 16) | (std::uint32_t{rgb[i * 3 + 1]} << 8) | rgb[i * 3 + 2];
  return image;
}

void writePng(const std::string& path, const Image& image) {
  std::vector<unsigned char> rgb(image.pixels.size() * 3);
  for (std::size_t i = 0; i < image.pixels.size(); ++i) {
    rgb[i * 3] = static_cast<unsigned char>(image.pixels[i] >> 16);
    rgb[i * 3 + 1] = static_cast<unsigned char>(image.pixels[i] >> 8);
    rgb[i * 3 + 2] = static_cast<unsigned char>(image.pixels[i]);
  }
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&png, path.c_str(), 0, rgb.data(), 0, nullptr))
    fail(path + ": " + png.message);
}

int toInt(const char* text, const char* what) {
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < 0 || value > 100000)
    fail(std::string("bad ") + what + " \"" + text + "\"");
  return static_cast<int>(value);
}

// Differences are red; equal pixels are the reference, faded, so the layout stays readable.
std::uint32_t faded(std::uint32_t colour) {
  std::uint32_t grey = (((colour >> 16) & 0xff) + ((colour >> 8) & 0xff) + (colour & 0xff)) / 3;
  grey = 160 + grey * 95 / 255;
  return (grey << 16) | (grey << 8) | grey;
}

int compare(int argc, char** argv) {
  std::string capturePath = argv[1], referencePath = argv[2], diffPath;
  int scale = 1, rx = 0, ry = 0, rw = -1, rh = -1;
  for (int i = 3; i < argc; ++i) {
    std::string option = argv[i];
    if (option == "--scale" && i + 1 < argc) {
      scale = toInt(argv[++i], "scale");
      if (scale < 1) fail("scale must be at least 1");
    } else if (option == "--region" && i + 4 < argc) {
      rx = toInt(argv[++i], "region x");
      ry = toInt(argv[++i], "region y");
      rw = toInt(argv[++i], "region width");
      rh = toInt(argv[++i], "region height");
    } else if (option == "--diff" && i + 1 < argc) {
      diffPath = argv[++i];
    } else {
      fail("unknown or incomplete option " + option);
    }
  }
  Image capture = readXwd(capturePath);
  Image reference = readPng(referencePath);
  if (rw < 0) rw = reference.width, rh = reference.height;
  if (rx + rw > reference.width || ry + rh > reference.height)
    fail("region lies outside the reference image");

  if (capture.width != reference.width * scale || capture.height != reference.height * scale) {
    std::printf("size differs: capture %dx%d, expected %dx%d (reference %dx%d at scale %d)\n",
                capture.width, capture.height, reference.width * scale, reference.height * scale,
                reference.width, reference.height, scale);
    return 1;
  }

  Image diff;
  diff.width = rw;
  diff.height = rh;
  diff.pixels.resize(static_cast<std::size_t>(rw) * static_cast<std::size_t>(rh));
  long differing = 0;
  constexpr int shown = 10;
  for (int y = ry; y < ry + rh; ++y) {
    for (int x = rx; x < rx + rw; ++x) {
      std::uint32_t expected = reference.at(x, y);
      bool same = true;
      std::uint32_t got = expected;
      for (int dy = 0; dy < scale && same; ++dy)
        for (int dx = 0; dx < scale && same; ++dx) {
          got = capture.at(x * scale + dx, y * scale + dy);
          same = got == expected;
        }
      std::size_t index = static_cast<std::size_t>(y - ry) * static_cast<std::size_t>(rw) +
                          static_cast<std::size_t>(x - rx);
      diff.pixels[index] = same ? faded(expected) : 0xff0000;
      if (same) continue;
      if (differing < shown)
        std::printf("pixel (%d, %d): window #%06x, expected #%06x\n", x, y, got, expected);
      ++differing;
    }
  }
  if (differing == 0) return 0;
  std::printf("%ld of %d pixels differ in region %d,%d %dx%d\n", differing, rw * rh, rx, ry, rw,
              rh);
  if (!diffPath.empty()) writePng(diffPath, diff);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--to-png") == 0) {
    writePng(argv[3], readXwd(argv[2]));
    return 0;
  }
  if (argc < 3 || argv[1][0] == '-') {
    std::fprintf(stderr,
                 "usage: xwd_compare CAPTURE.xwd REFERENCE.png [--scale N] [--region X Y W H] "
                 "[--diff DIFF.png]\n       xwd_compare --to-png CAPTURE.xwd OUT.png\n");
    return 2;
  }
  return compare(argc, argv);
}
