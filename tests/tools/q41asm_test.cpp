// q41asm end to end. Each folder under tests/data is one case: input.asm, an optional
// "args" line, and the expected standard output, standard error and exit code.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "../blocks/plain_view.hpp"
#include "../generated_program.hpp"
#include "common/cp1251.hpp"
#include "common/number_text.hpp"

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

// The tool as built here, or another build of it that takes the same options:
// Q41ASM_COMMAND runs the WebAssembly one under node.
std::string ToolCommand() {
  const char* other = std::getenv("Q41ASM_COMMAND");
  return other != nullptr && *other != '\0' ? other : Q41ASM_PATH;
}

ToolRun RunTool(const std::string& args, const std::string& shellPrefix = "") {
  const fs::path dir = fs::temp_directory_path() / ("q41asm_test_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string command = shellPrefix + ToolCommand() + " " + args + " >" +
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
    // Run where the input is, so the messages name it as "input.asm", and with no language
    // from the environment.
    const ToolRun run = RunTool(args + " input.asm", "cd '" + dir.string() +
                                                         "' && env -u LC_ALL -u LC_MESSAGES "
                                                         "LANG=C ");
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

// The messages' language: --lang, else the first locale variable that is set.
TEST(Q41asm, MessageLanguageFollowsTheEnvironment) {
  const std::string input = std::string(Q41_TEST_DATA) + "/example_failing/input.asm";
  const struct {
    std::string environment;
    std::string args;
    bool russian;
  } rows[] = {
      {"LANG=ru_RU.UTF-8", "", true},           {"LANG=ru_RU.UTF-8 LC_MESSAGES=C", "", false},
      {"LANG=C LC_ALL=ru_RU.UTF-8", "", true},  {"LANG=C", "", false},
      {"LANG=ru_RU.UTF-8", "--lang en", false}, {"LANG=C", "--lang ru", true},
  };
  for (const auto& row : rows) {
    const ToolRun run =
        RunTool(row.args + " " + input, "env -u LC_ALL -u LC_MESSAGES " + row.environment + " ");
    EXPECT_EQ(run.err.find("Константа") != std::string::npos, row.russian) << row.environment;
  }
}

TEST(Q41asm, UsageAndFileErrorsExitWithTwo) {
  struct Row {
    std::string args;
    std::string err;
  };
  const Row rows[] = {
      {"",
       "q41asm: usage: q41asm [--lang ru|en] [--no-short-const] [--status-lines] [--preprocess | "
       "--labels | --listing] INPUT [-o OUT]\n"},
      {"--lang fr x.asm", ""},
      {"--preprocess --labels x.asm", ""},
      {"--listing --labels x.asm", ""},
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

  // Help and version go to standard output, and are no error.
  const ToolRun help = RunTool("--help");
  EXPECT_EQ(help.rc, 0);
  EXPECT_EQ(help.out.rfind("usage: q41asm", 0), 0u);
  EXPECT_EQ(help.err, "");
  const ToolRun version = RunTool("--version");
  EXPECT_EQ(version.rc, 0);
  EXPECT_EQ(version.out.rfind("q41asm ", 0), 0u);
}

// The words and addresses of each block's listing (UTF-8, LF), checked against the code file
// the windows save: the same words in the same order, at byte addresses two apart, and one
// numbered line for each source line.
void ExpectListingMatchesCodeFile(const std::string& listing, const q41::Lines& codeFile,
                                  const q41::BlockModel& model, const std::string& where) {
  std::vector<q41::Lines> words;  // per block, as listed
  std::vector<int> numbered;
  for (const std::string& line : q41::SplitLines(listing)) {
    if (line.starts_with(";BLOCK ")) {
      words.emplace_back();
      numbered.push_back(0);
      continue;
    }
    ASSERT_FALSE(words.empty()) << where;
    ASSERT_GE(line.size(), 5u) << where;
    if (line.substr(0, 5) != "     ") {
      ++numbered.back();
      EXPECT_EQ(std::stoi(line.substr(0, 5)), numbered.back()) << where << line;
    }
    if (line.size() <= 6 || line[6] == ' ') continue;  // no words
    const std::string address = line.substr(6, 4);
    EXPECT_EQ(address, q41::HexWordText(2 * static_cast<std::int64_t>(words.back().size())))
        << where << line;
    for (std::size_t at = 10; at + 5 <= line.size() && at < 30 && line[at + 1] != ' '; at += 5) {
      words.back().push_back(line.substr(at + 1, 4));
    }
  }
  ASSERT_EQ(static_cast<int>(words.size()), model.LastBlock() + 1) << where;
  for (int n = 0; n <= model.LastBlock(); ++n) {
    EXPECT_EQ(numbered[static_cast<std::size_t>(n)],
              static_cast<int>(model.Stored(n).source.size()))
        << where;
    const auto marker = std::find(codeFile.begin(), codeFile.end(), ";BLOCK " + std::to_string(n));
    ASSERT_NE(marker, codeFile.end()) << where;
    const auto count = static_cast<std::size_t>(std::stoi(*(marker + 4), nullptr, 16));
    EXPECT_EQ(q41::Lines(marker + 6, marker + 6 + static_cast<std::ptrdiff_t>(count)),
              words[static_cast<std::size_t>(n)])
        << where << "block " << n;
  }
}

// The windows' compile all and Save .Q41, through the model with a window of plain fields,
// against the tool on the same file: the same code file to the byte, or the same fault.
TEST(Q41asm, WritesWhatTheWindowsSave) {
  const fs::path dir = fs::temp_directory_path() / ("q41asm_diff_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::mt19937 rng(41);
  int failing = 0;
  // A slower build of the tool is compared on fewer programs.
  const char* count = std::getenv("Q41_DIFF_PROGRAMS");
  const int programs = count != nullptr ? std::atoi(count) : 300;
  for (int n = 0; n < programs; ++n) {
    const std::string bytes = q41::test::GenerateProgram(rng);
    std::ofstream(dir / "in.asm", std::ios::binary) << bytes;

    q41::PlainView view;
    q41::CompileWorkspace workspace;
    const q41::CompileSettings settings{q41::Language::English, true};
    q41::BlockModel model(view.Views(), workspace, settings);
    model.NewProgram();
    model.ReadProgramFile(q41::SplitLines(bytes));
    const bool good = model.CompileAll();
    // What compile all says and what its status line shows the user agree.
    EXPECT_EQ(good, view.LineCaption() == q41::Message(settings.language, q41::MsgSuccess));

    fs::remove(dir / "out.q41");
    const ToolRun run = RunTool("--lang en --status-lines " + (dir / "in.asm").string() + " -o " +
                                (dir / "out.q41").string());
    const std::string where = "program " + std::to_string(n) + ":\n" + bytes;
    if (good) {
      view.answers.assign(q41::BlockCount, true);
      ASSERT_TRUE(model.PrepareCodeFile());
      EXPECT_EQ(run.rc, 0) << where << run.err;
      EXPECT_EQ(Slurp(dir / "out.q41"), q41::JoinLines(model.WriteCodeFile(), "\r\n")) << where;
      const ToolRun listing = RunTool("--lang en --listing " + (dir / "in.asm").string());
      EXPECT_EQ(listing.rc, 0) << where;
      ExpectListingMatchesCodeFile(listing.out, model.WriteCodeFile(), model, where);
    } else {
      ++failing;
      EXPECT_EQ(run.rc, 1) << where;
      const std::string fault = q41::Cp1251ToUtf8(view.status.lineCaption) + "\n" +
                                q41::Cp1251ToUtf8(view.status.errCaption) + "\n";
      EXPECT_TRUE(run.err.ends_with(fault)) << where << run.err << "\nwanted\n" << fault;
      EXPECT_FALSE(fs::exists(dir / "out.q41")) << where;
      // As compilers report it: the line of the file that the windows select in the block.
      if (view.status.selection.kind == q41::Selection::Kind::Line) {
        const std::size_t line =
            model.LastFileLayout().blockStart[static_cast<std::size_t>(model.CurrentBlock())] +
            static_cast<std::size_t>(view.status.selection.row) + 1;
        const ToolRun compiler = RunTool("--lang en in.asm", "cd '" + dir.string() + "' && ");
        // The error's line: "in.asm:LINE:COLUMN: error: ", at the start of a line.
        const std::string report = "in.asm:" + std::to_string(line) + ":";
        const std::size_t at = ("\n" + compiler.err).find("\n" + report);
        ASSERT_NE(at, std::string::npos) << where << compiler.err;
        const std::size_t column = at + report.size();
        const std::size_t digits = compiler.err.find_first_not_of("0123456789", column);
        EXPECT_GT(digits, column) << where << compiler.err;
        EXPECT_EQ(compiler.err.compare(digits, 9, ": error: "), 0) << where << compiler.err;
        EXPECT_NE(compiler.err.find(": error: " + q41::Cp1251ToUtf8(view.status.errCaption) + "\n"),
                  std::string::npos)
            << where << compiler.err;
      }
    }
  }
  // Both outcomes were tried, often.
  EXPECT_GT(failing, programs / 10);
  EXPECT_LT(failing, programs * 9 / 10);
  fs::remove_all(dir);
}

}  // namespace
