// The language server's latencies, server side: from a change of the document to its
// diagnostics, and a hover and a go-to-definition at a name in the checked text; the median and the
// worst of repeated runs, each against its target.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "generate.hpp"
#include "language/tokens.hpp"
#include "tools/lsp/server.hpp"

namespace {

using q41::lsp::Json;

std::pair<double, double> Measure(int runs, const std::function<void()>& work) {
  std::vector<double> ms;
  for (int r = 0; r < runs; ++r) {
    const auto start = std::chrono::steady_clock::now();
    work();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                     .count());
  }
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms.back()};
}

void Report(const char* name, std::pair<double, double> ms, double target) {
  std::printf("%-44s median %7.2f ms   worst %7.2f ms   target %4.0f ms  %s\n", name, ms.first,
              ms.second, target, ms.first <= target ? "ok" : "MISSED");
}

std::string ProgramText(const q41::Lines& block) {
  std::string text = "Q41 assembler, v.1, 2018\nGLOBAL\nLIMIT=20\n\n;BLOCK 0\n";
  for (const std::string& line : block) text += line + "\n";
  return text;
}

void Document(const char* name, const q41::Lines& block, double target) {
  q41::lsp::Server server(q41::Language::English);
  server.Handle({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}});
  const std::string text = ProgramText(block);
  server.Handle({{"jsonrpc", "2.0"},
                 {"method", "textDocument/didOpen"},
                 {"params", {{"textDocument", {{"uri", "file:///b.asm"}, {"text", text}}}}}});
  const Json change = {{"jsonrpc", "2.0"},
                       {"method", "textDocument/didChange"},
                       {"params",
                        {{"textDocument", {{"uri", "file:///b.asm"}, {"version", 2}}},
                         {"contentChanges", Json::array({{{"text", text + "  NOP\n"}}})}}}};
  Report((std::string(name) + ": change to diagnostics").c_str(),
         Measure(20, [&] { server.Handle(change); }), target);
  // At the first use of a name from the middle of the block on, as the windows read it.
  int line = 0, character = 0;
  for (std::size_t k = block.size() / 2; k < block.size() && line == 0; ++k) {
    for (const q41::SyntaxSpan& span : q41::LineTokens(block[k])) {
      if (span.kind != q41::SyntaxKind::LabelUse) continue;
      line = 5 + static_cast<int>(k);  // the block's first line is the file's sixth
      character = span.start + 1;
      break;
    }
  }
  if (line == 0) {
    std::printf("%s: no use of a name to ask at\n", name);
    return;
  }
  const Json at = {{"textDocument", {{"uri", "file:///b.asm"}}},
                   {"position", {{"line", line}, {"character", character}}}};
  for (const char* method : {"textDocument/hover", "textDocument/definition"}) {
    const Json request = {{"jsonrpc", "2.0"}, {"id", 2}, {"method", method}, {"params", at}};
    Report((std::string(name) + ": " + method).c_str(),
           Measure(50, [&] { server.Handle(request); }), 5);
  }
}

}  // namespace

int main() {
  std::printf("The language server, server side:\n");
  Document("1,000 source lines", q41::bench::GenerateQ41Block(1000), 20);
  q41::Lines full;
  for (int k = 0; k < 16384; ++k) full.push_back("        mov #300, r" + std::to_string(k % 4));
  // A label and a use of it, words as many as before.
  full.front() = "top:    mov #300, r0";
  full[full.size() / 2] = "        mov #top, r0";
  Document("32,768 words", full, 200);
  return 0;
}
