// Every rename the language server offers leaves the program as it was to the assembler: on
// generated programs, each name the server colours is renamed to names free and taken, good
// and bad, and whenever the server answers with edits, the program with them applied makes
// a code file from q41asm byte for byte the same as the original's.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>

#include "tools/lsp/server.hpp"

namespace q41::lsp {
namespace {

namespace fs = std::filesystem;

std::string Pick(std::mt19937& rng, const std::vector<std::string>& options) {
  return options[std::uniform_int_distribution<std::size_t>(0, options.size() - 1)(rng)];
}

// A program of a few blocks: GLOBAL constants, labels, strings and their lengths, branches,
// bare names, constants; now and then a fault.
std::string Generate(std::mt19937& rng) {
  const std::vector<std::string> names = {"a", "b", "Loop", "msg", "N", "g1"};
  std::string out = "GLOBAL\nG1 = 10h\nLIMIT = 4\n\n";
  const int blocks = std::uniform_int_distribution<int>(1, 3)(rng);
  for (int n = 0; n < blocks; ++n) {
    out += ";BLOCK " + std::to_string(n) + "\n";
    const int lines = std::uniform_int_distribution<int>(2, 9)(rng);
    for (int k = 0; k < lines; ++k) {
      out += Pick(rng, {"", "", "x" + std::to_string(k) + ": "});
      out +=
          Pick(rng, {"  mov #LIMIT, r1", "  push #LEN(msg)", "  bne loop", "  mov n, r2", "  jmp b",
                     "  add #g1, r0", "  mov #len( msg ), r3", "  call a", "  nop ; loop msg",
                     "  mov #" + Pick(rng, names) + ", r0", "  out r0, p.1", "  mov x0, r1"});
      out += "\n";
    }
    out += Pick(rng, {"msg: ds Hi there\n", "MSG: DS x\n", ""});
    out += Pick(rng, {"loop: nop\n", "Loop:\n", ""});
    out += Pick(rng, {"N = 5\n", "n=7\n", ""});
    out += Pick(rng, {"a: hlt\n", "b: ret\n  hlt\n", "  hlt\nb: nop\na: nop\n"});
  }
  return out;
}

struct Compiled {
  int status;
  std::string code;
};

Compiled Q41asm(const fs::path& dir, const std::string& text) {
  std::ofstream(dir / "p.asm", std::ios::binary) << text;
  fs::remove(dir / "p.q41");
  const std::string command = std::string(Q41ASM) + " --lang en " + (dir / "p.asm").string() +
                              " -o " + (dir / "p.q41").string() + " 2>/dev/null";
  Compiled c{std::system(command.c_str()), {}};
  std::ifstream in(dir / "p.q41", std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  c.code = bytes.str();
  return c;
}

// The text with the edits of one document applied (the programs are ASCII: a UTF-16 unit is
// a byte).
std::string Apply(const std::string& text, const Json& edits) {
  std::vector<std::string> lines;
  std::stringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  std::vector<Json> sorted(edits.begin(), edits.end());
  std::sort(sorted.begin(), sorted.end(), [](const Json& a, const Json& b) {
    const Json &x = a["range"]["start"], &y = b["range"]["start"];
    return std::pair(x["line"].get<int>(), x["character"].get<int>()) >
           std::pair(y["line"].get<int>(), y["character"].get<int>());
  });
  for (const Json& e : sorted) {
    const Json& r = e["range"];
    EXPECT_EQ(r["start"]["line"], r["end"]["line"]);
    std::string& line = lines.at(r["start"]["line"].get<std::size_t>());
    const auto from = r["start"]["character"].get<std::size_t>();
    line.replace(from, r["end"]["character"].get<std::size_t>() - from,
                 e["newText"].get<std::string>());
  }
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

TEST(RenameProperty, EveryRenameOfferedCompilesToTheSameCodeFile) {
  const fs::path dir = fs::temp_directory_path() / ("q41_rename_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::vector<std::string> newNames = {"fresh", "Other_2", "a",  "LIMIT", "r2", "#z",
                                             "mov",   "ds",      "1a", "x0",    "p",  "msgs"};
  std::mt19937 rng(41);
  int offered = 0;
  int refused = 0;
  int lengths = 0;
  for (int n = 0; n < 24; ++n) {
    const std::string text = Generate(rng);
    Server s(Language::English);
    s.Handle({{"jsonrpc", "2.0"}, {"id", 0}, {"method", "initialize"}, {"params", Json::object()}});
    s.Handle({{"jsonrpc", "2.0"},
              {"method", "textDocument/didOpen"},
              {"params", {{"textDocument", {{"uri", "file:///p.asm"}, {"text", text}}}}}});
    const Json doc = {{"uri", "file:///p.asm"}};
    const Json tokens = s.Handle({{"jsonrpc", "2.0"},
                                  {"id", 1},
                                  {"method", "textDocument/semanticTokens/full"},
                                  {"params", {{"textDocument", doc}}}})
                            .front()["result"]["data"];
    const Compiled before = Q41asm(dir, text);
    int line = 0, column = 0;
    for (std::size_t k = 0; k + 4 < tokens.size(); k += 5) {
      line += tokens[k].get<int>();
      column =
          tokens[k].get<int>() == 0 ? column + tokens[k + 1].get<int>() : tokens[k + 1].get<int>();
      const int type = tokens[k + 3];
      if (type != 4 && type != 5) continue;  // labels and constants
      // A name no program holds may always replace a definition, faults or none.
      const bool definition = tokens[k + 4] == 1;
      const std::string newName = definition ? "fresh_q41" : Pick(rng, newNames);
      const Json answer = s.Handle({{"jsonrpc", "2.0"},
                                    {"id", 2},
                                    {"method", "textDocument/rename"},
                                    {"params",
                                     {{"textDocument", doc},
                                      {"position", {{"line", line}, {"character", column + 1}}},
                                      {"newName", newName}}}})
                              .front();
      if (answer.contains("error")) {
        EXPECT_FALSE(definition) << answer["error"]["message"] << "\n" << text;
        ++refused;
        continue;
      }
      ++offered;
      const std::string renamed = Apply(text, answer["result"]["changes"]["file:///p.asm"]);
      if (renamed.find("LEN(" + newName + ")") != std::string::npos) ++lengths;
      const Compiled after = Q41asm(dir, renamed);
      EXPECT_EQ(after.status, before.status) << text << "\n---\n" << renamed;
      EXPECT_EQ(after.code, before.code) << text << "\n---\n" << renamed;
    }
  }
  fs::remove_all(dir);
  // The test must have renamed, refused, and renamed a string's length constant too.
  EXPECT_GT(offered, 50);
  EXPECT_GT(refused, 50);
  EXPECT_GT(lengths, 3);
  std::cout << offered << " renames offered and compiled the same, " << refused << " refused\n";
}

}  // namespace
}  // namespace q41::lsp
