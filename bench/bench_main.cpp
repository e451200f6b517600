// The benchmarks' main: each benchmark runs five times and is shown by its mean, median,
// deviation and variation, so `make bench` prints the medians the budgets hold. Flags given on
// the command line come after these defaults and win.
#include <benchmark/benchmark.h>

#include <vector>

int main(int argc, char** argv) {
  static char repetitions[] = "--benchmark_repetitions=5";
  static char aggregatesOnly[] = "--benchmark_display_aggregates_only=true";
  std::vector<char*> arguments{argv[0], repetitions, aggregatesOnly};
  for (int i = 1; i < argc; ++i) arguments.push_back(argv[i]);
  arguments.push_back(nullptr);
  int count = static_cast<int>(arguments.size()) - 1;
  benchmark::Initialize(&count, arguments.data());
  if (benchmark::ReportUnrecognizedArguments(count, arguments.data())) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
