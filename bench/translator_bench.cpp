// Translator throughput: preprocess and assemble generated blocks of 1,000, 10,000 and
// 100,000 source lines (lines per second for each size), then how the cost grows, then
// q41asm against the GNU assembler on inputs of the same line count, in one run.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "blocks/compile.hpp"
#include "generate.hpp"

extern char** environ;

namespace {

using q41::Lines;

const Lines& Block(int lines) {
  static std::vector<std::pair<int, Lines>> cache;
  for (const auto& [n, block] : cache) {
    if (n == lines) return block;
  }
  cache.emplace_back(lines, q41::bench::GenerateQ41Block(lines));
  return cache.back().second;
}

q41::CompileOutcome CompileOnce(const Lines& source) {
  q41::CompileWorkspace workspace;
  return q41::CompileSource(workspace, source, {";Global"}, {q41::Language::English, true},
                            nullptr);
}

void BM_PreprocessAndAssemble(benchmark::State& state) {
  const Lines& source = Block(static_cast<int>(state.range(0)));
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
BENCHMARK(BM_PreprocessAndAssemble)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

double BestSeconds(const Lines& source, int runs) {
  double best = 1e9;
  for (int r = 0; r < runs; ++r) {
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(CompileOnce(source));
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

struct ProcessCost {
  double seconds = 0;
  long peakKiB = 0;
  int status = -1;
};

// Runs a command (best wall time of `runs`) and reads its peak resident memory.
ProcessCost RunCommand(const std::vector<std::string>& args, int runs) {
  ProcessCost cost{1e9, 0, 0};
  for (int r = 0; r < runs; ++r) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
      cost.status = -1;
      return cost;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    cost.seconds = std::min(cost.seconds, seconds);
    cost.peakKiB = std::max(cost.peakKiB, usage.ru_maxrss);
    cost.status = status;
  }
  return cost;
}

void CompareWithGnuAs(int lines) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("q41_bench_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string q41File = dir / "input.asm";
  const std::string gasFile = dir / "input.s";
  std::ofstream(q41File, std::ios::binary) << q41::JoinLines(Block(lines), "\r\n");
  std::ofstream(gasFile, std::ios::binary) << q41::bench::GenerateGasText(lines);

  const ProcessCost q41 = RunCommand({Q41ASM_PATH, "--lang", "en", q41File, "-o", "/dev/null"}, 7);
  const ProcessCost gas = RunCommand({"as", "-o", "/dev/null", gasFile}, 7);
  std::filesystem::remove_all(dir);
  if (q41.status != 0 || gas.status != 0) {
    std::printf("q41asm status %d, as status %d: comparison not possible\n", q41.status, gas.status);
    return;
  }
  const double q41Rate = lines / q41.seconds;
  const double gasRate = lines / gas.seconds;
  std::printf("\n%d-line input, best of 7 runs each:\n", lines);
  std::printf("  q41asm     %10.0f lines/s   peak %6ld KiB\n", q41Rate, q41.peakKiB);
  std::printf("  GNU as     %10.0f lines/s   peak %6ld KiB\n", gasRate, gas.peakKiB);
  std::printf("  q41asm/as  lines/s ratio %.2f (target >= 3), peak memory ratio %.2f (target <= 1)\n",
              q41Rate / gasRate, static_cast<double>(q41.peakKiB) / static_cast<double>(gas.peakKiB));
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  const double t10k = BestSeconds(Block(10000), 15);
  const double t100k = BestSeconds(Block(100000), 5);
  std::printf("\nGrowth: 100,000 lines take %.2f times as long as 10,000 lines (target <= 12)\n",
              t100k / t10k);
  CompareWithGnuAs(100000);
  return 0;
}
