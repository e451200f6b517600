// Runs a fuzz target over saved inputs without fuzzing, so the regression cases and the seed
// corpus are checked by any compiler: replay_TARGET FILE-OR-FOLDER... (a folder: every file in
// it). A broken input stops the run with its message; an unreadable argument fails.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

bool replay(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "replay: cannot read %s\n", file.c_str());
    return false;
  }
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
  std::fprintf(stderr, "replay: %s\n", file.c_str());
  // A copy of exactly the input's size, so that reading past it is caught.
  std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
  LLVMFuzzerTestOneInput(data.empty() ? nullptr : data.data(), data.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (LLVMFuzzerInitialize != nullptr) LLVMFuzzerInitialize(&argc, &argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE-OR-FOLDER...\n", argv[0]);
    return 2;
  }
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path argument = argv[i];
    std::error_code error;
    if (std::filesystem::is_directory(argument, error)) {
      std::vector<std::filesystem::path> files;
      for (const auto& entry : std::filesystem::directory_iterator(argument, error))
        if (entry.is_regular_file()) files.push_back(entry.path());
      if (error) {
        std::fprintf(stderr, "replay: cannot list %s\n", argument.c_str());
        return 1;
      }
      std::sort(files.begin(), files.end());
      for (const auto& file : files) {
        if (!replay(file)) return 1;
        ++replayed;
      }
    } else {
      if (!replay(argument)) return 1;
      ++replayed;
    }
  }
  // A run that checked nothing (an empty or misnamed folder) must not pass.
  if (replayed == 0) {
    std::fprintf(stderr, "replay: no inputs found\n");
    return 1;
  }
  std::printf("replayed %d inputs\n", replayed);
  return 0;
}
