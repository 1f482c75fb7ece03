// q41asm end to end. Each folder under tests/data is one case: input.asm, an optional
// "args" line, and the expected standard output, standard error and exit code.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

struct ToolRun {
  int rc;
  std::string out;
  std::string err;
};

ToolRun RunTool(const std::string& args, const std::string& shellPrefix = "") {
  const fs::path dir = fs::temp_directory_path() / ("q41asm_test_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string command = shellPrefix + std::string(Q41ASM_PATH) + " " + args + " >" +
                              (dir / "out").string() + " 2>" + (dir / "err").string() +
                              " </dev/null";
  const int status = std::system(command.c_str());
  ToolRun run{WEXITSTATUS(status), Slurp(dir / "out"), Slurp(dir / "err")};
  fs::remove_all(dir);
  return run;
}

TEST(Q41asm, DataCases) {
  int cases = 0;
  for (const auto& entry : fs::directory_iterator(Q41_TEST_DATA)) {
    const fs::path dir = entry.path();
    if (!fs::exists(dir / "input.asm")) continue;
    ++cases;
    const std::string args = fs::exists(dir / "args") ? Trimmed(Slurp(dir / "args")) : "";
    const ToolRun run = RunTool(args + " " + (dir / "input.asm").string());
    const std::string name = dir.filename().string();
    const int rc = fs::exists(dir / "expected.rc") ? std::stoi(Slurp(dir / "expected.rc")) : 0;
    EXPECT_EQ(run.rc, rc) << name << "\n" << run.err;
    EXPECT_EQ(run.out, Slurp(dir / "expected.out")) << name;
    EXPECT_EQ(run.err, fs::exists(dir / "expected.err") ? Slurp(dir / "expected.err") : "") << name;
  }
  EXPECT_GE(cases, 8);
}

TEST(Q41asm, WritesTheCodeFileOnlyOnSuccess) {
  const fs::path dir = fs::temp_directory_path() / "q41asm_out_test";
  fs::create_directories(dir);
  {
    std::ofstream(dir / "ok.asm", std::ios::binary) << "msg: ds \xC0\xE1\nhlt\n";
    std::ofstream(dir / "bad.asm", std::ios::binary) << "foo\n";
  }
  ToolRun run = RunTool((dir / "ok.asm").string() + " -o " + (dir / "ok.q41").string());
  EXPECT_EQ(run.rc, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(Slurp(dir / "ok.q41"),
            "0Q41\r\n\r\n;BLOCK 0\r\n0000\r\n0000\r\n0000\r\n0002\r\n\r\nE1C0\r\nAF18\r\n");

  run = RunTool("--preprocess " + (dir / "ok.asm").string() + " -o " + (dir / "pre.txt").string());
  EXPECT_EQ(Slurp(dir / "pre.txt"), ";BLOCK 0\r\nMSG:\r\nDW E1C0H\r\nLEN(MSG)=\r\n2\r\nHLT\r\n");

  run = RunTool((dir / "bad.asm").string() + " -o " + (dir / "bad.q41").string());
  EXPECT_EQ(run.rc, 1);
  EXPECT_FALSE(fs::exists(dir / "bad.q41"));

  // A write that fails part-way (files may grow to 512 bytes only) leaves the old file.
  {
    std::ofstream big(dir / "big.asm", std::ios::binary);
    for (int k = 0; k < 300; ++k) big << "dw " << k << "\n";
  }
  const std::string old = Slurp(dir / "ok.q41");
  run = RunTool((dir / "big.asm").string() + " -o " + (dir / "ok.q41").string(), "ulimit -f 1; ");
  EXPECT_EQ(run.rc, 2);
  EXPECT_NE(run.err.find("cannot write " + (dir / "ok.q41").string() + ": File too large"),
            std::string::npos);
  EXPECT_EQ(Slurp(dir / "ok.q41"), old);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 5);
  fs::remove_all(dir);
}

TEST(Q41asm, UsageAndFileErrorsExitWithTwo) {
  struct Row {
    std::string args;
    std::string err;
  };
  const Row rows[] = {
      {"",
       "q41asm: usage: q41asm [--lang ru|en] [--no-short-const] [--preprocess | --labels] "
       "INPUT [-o OUT]\n"},
      {"--lang fr x.asm", ""},
      {"--preprocess --labels x.asm", ""},
      {"a.asm b.asm", ""},
      {"--bogus x.asm", ""},
      {"/nonexistent/x.asm", "q41asm: cannot read /nonexistent/x.asm: No such file or directory\n"},
      {"/", "q41asm: cannot read /: Is a directory\n"},
  };
  for (const auto& row : rows) {
    const ToolRun run = RunTool(row.args);
    EXPECT_EQ(run.rc, 2) << row.args;
    if (!row.err.empty()) {
      EXPECT_EQ(run.err, row.err) << row.args;
    }
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << row.args;
  }
  const fs::path input = fs::temp_directory_path() / "q41asm_write_test.asm";
  std::ofstream(input) << "hlt\n";
  const ToolRun run = RunTool(input.string() + " -o /nonexistent/out.q41");
  EXPECT_EQ(run.rc, 2);
  EXPECT_EQ(run.err, "q41asm: cannot write /nonexistent/out.q41: No such file or directory\n");
  fs::remove(input);
}

}  // namespace
