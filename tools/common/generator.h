// What the build-time generators share: their failure type and their main, which writes the
// generated source whole or not at all.
#pragma once

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace generator {

struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

using Generate = std::string (*)(const std::vector<std::string>& inputs);

// `name OUTPUT.cpp [INPUT...]`: writes generate(inputs) to OUTPUT. Exit 2 on usage, 1 on failure.
inline int run(const char* name, int argc, char** argv, Generate generate) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.cpp [INPUT.txt...]\n", name);
    return 2;
  }
  const std::string output = argv[1];
  const std::vector<std::string> inputs(argv + 2, argv + argc);
  try {
    const std::string text = generate(inputs);
    // Written whole or not at all, so a failed run never leaves a half table for the compiler.
    const std::string partial = output + ".part";
    {
      std::ofstream out(partial, std::ios::binary | std::ios::trunc);
      out << text;
      out.close();
      if (!out) throw Failure(partial + ": cannot write");
    }
    if (std::rename(partial.c_str(), output.c_str()) != 0) throw Failure(output + ": cannot write");
  } catch (const Failure& failure) {
    std::fprintf(stderr, "%s: error: %s\n", name, failure.what());
    return 1;
  }
  return 0;
}

}  // namespace generator
