// Translator throughput: preprocess and assemble generated blocks of 1,000, 10,000 and
// 100,000 source lines (lines per second for each size), then how the cost grows, then
// q41asm against the GNU assembler on inputs of the same line count, in one run.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "blocks/compile.hpp"
#include "generate.hpp"

namespace {

using q41::Lines;

struct CachedBlock {
  int size;
  Lines lines;
};

// Generated once per size.
const CachedBlock& Block(int lines) {
  static std::vector<std::unique_ptr<CachedBlock>> cache;
  for (const auto& block : cache) {
    if (block->size == lines) return *block;
  }
  cache.push_back(
      std::make_unique<CachedBlock>(CachedBlock{lines, q41::bench::GenerateQ41Block(lines)}));
  return *cache.back();
}

q41::CompileOutcome CompileOnce(const Lines& source) {
  q41::CompileWorkspace workspace;
  return q41::CompileSource(workspace, source, {";Global"}, {q41::Language::English, true},
                            nullptr);
}

void BM_PreprocessAndAssemble(benchmark::State& state) {
  const Lines& source = Block(static_cast<int>(state.range(0))).lines;
  const auto check = CompileOnce(source);
  if (!check.succeeded || check.code.size() > 32768) {
    state.SkipWithError(("generated block fails: " + check.status.errCaption).c_str());
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(CompileOnce(source));
  state.counters["lines/s"] = benchmark::Counter(
      static_cast<double>(source.size()) * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate);
  state.counters["words"] = static_cast<double>(check.code.size());
}
BENCHMARK(BM_PreprocessAndAssemble)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

// Keeps the time per iteration of each block size, as the console shows it.
class GrowthReporter : public benchmark::ConsoleReporter {
 public:
  GrowthReporter() : ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) {
      if (!run.error_occurred && run.iterations > 0) {
        seconds_[run.benchmark_name()] = run.GetAdjustedRealTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  double Time(const std::string& name) const {
    const auto it = seconds_.find(name);
    return it == seconds_.end() ? 0 : it->second;
  }

 private:
  std::map<std::string, double> seconds_;
};

struct ProcessCost {
  double seconds = 1e9;
  long peakKiB = 0;
  int status = -1;
};

// One run of a command through run_measured: wall time, peak memory, exit status.
ProcessCost RunOnce(const std::vector<std::string>& args) {
  std::string command = RUN_MEASURED_PATH;
  for (const auto& a : args) command += " '" + a + "'";
  command += " 2>/dev/null";
  ProcessCost cost;
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return cost;
  if (std::fscanf(pipe, "%lf %ld %d", &cost.seconds, &cost.peakKiB, &cost.status) != 3) {
    cost = {};
  }
  ::pclose(pipe);
  return cost;
}

struct Mix {
  const char* name;
  q41::Lines q41;
  std::string gas;
};

// q41asm (each build given) against GNU as on the same mix. The commands take turns, run
// after run, so that the machine's changing load falls on each alike; each one's time is
// the median of its runs (one lucky or unlucky run says little), its memory the largest
// peak. The ratio is the median of the ratios of runs taken side by side: on a machine
// whose load comes and goes, two runs a moment apart share it, and a ratio of two medians
// taken over different moments need not.
void CompareWithGnuAs(int lines, const Mix& mix,
                      const std::vector<std::pair<std::string, std::string>>& tools) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("q41_bench_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string q41File = dir / "input.asm";
  const std::string gasFile = dir / "input.s";
  std::ofstream(q41File, std::ios::binary) << q41::JoinLines(mix.q41, "\r\n");
  std::ofstream(gasFile, std::ios::binary) << mix.gas;

  std::vector<std::vector<std::string>> commands = {{"as", "-o", "/dev/null", gasFile}};
  for (const auto& tool : tools) {
    commands.push_back({tool.second, "--lang", "en", q41File, "-o", "/dev/null"});
  }
  constexpr int Runs = 21;
  std::vector<std::vector<double>> times(commands.size());
  std::vector<ProcessCost> costs(commands.size());
  for (int r = 0; r < Runs; ++r) {
    for (std::size_t c = 0; c < commands.size(); ++c) {
      const ProcessCost run = RunOnce(commands[c]);
      times[c].push_back(run.seconds);
      costs[c].peakKiB = std::max(costs[c].peakKiB, run.peakKiB);
      costs[c].status = run.status;
    }
  }
  auto median = [](std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
  };
  std::vector<double> ratios(commands.size());
  for (std::size_t c = 0; c < commands.size(); ++c) {
    std::vector<double> paired;
    for (std::size_t r = 0; r < times[c].size(); ++r) paired.push_back(times[0][r] / times[c][r]);
    ratios[c] = median(paired);
    costs[c].seconds = median(times[c]);
  }
  std::filesystem::remove_all(dir);

  const ProcessCost& gas = costs[0];
  std::printf("\n%s, %d lines, median of %d runs each:\n", mix.name, lines, Runs);
  std::printf("  GNU as              %10.0f lines/s   peak %6ld KiB\n", lines / gas.seconds,
              gas.peakKiB);
  for (std::size_t t = 0; t < tools.size(); ++t) {
    const ProcessCost& q41 = costs[t + 1];
    const char* build = tools[t].first.c_str();
    if (q41.status != 0 || gas.status != 0) {
      std::printf("  q41asm (%s) status %d, as status %d: no comparison\n", build, q41.status,
                  gas.status);
      continue;
    }
    std::printf(
        "  q41asm (%-13s) %10.0f lines/s   peak %6ld KiB   ratio %.2f (target >= 3), "
        "peak memory ratio %.2f (target <= 1)\n",
        build, lines / q41.seconds, q41.peakKiB, ratios[t + 1],
        static_cast<double>(q41.peakKiB) / static_cast<double>(gas.peakKiB));
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  GrowthReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  const double t10k = reporter.Time("BM_PreprocessAndAssemble/10000");
  const double t100k = reporter.Time("BM_PreprocessAndAssemble/100000");
  if (t10k > 0 && t100k > 0) {
    std::printf("\nGrowth: 100,000 lines take %.2f times as long as 10,000 lines (target <= 12)\n",
                t100k / t10k);
  }
  // This build's q41asm, and the one `make run` builds when the caller names it.
  std::vector<std::pair<std::string, std::string>> tools = {{"Release", Q41ASM_PATH}};
  if (const char* other = std::getenv("Q41ASM_DEFAULT_BUILD"))
    tools.push_back({"default build", other});
  constexpr int Lines = 100000;
  CompareWithGnuAs(
      Lines, {"Mixed operands", Block(Lines).lines, q41::bench::GenerateGasText(Lines)}, tools);
  CompareWithGnuAs(
      Lines,
      {"Commented, a forward branch and a constant every 8 lines",
       q41::bench::GenerateCommentedQ41Block(Lines), q41::bench::GenerateCommentedGasText(Lines)},
      tools);
  return 0;
}
