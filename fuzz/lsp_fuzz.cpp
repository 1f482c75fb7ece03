// Message bodies through the language server's handler. Each line of the input that reads as
// JSON is a message to a server that has been initialized and holds a program; the whole
// input is also opened as a program and asked about at a place it picks. What a client relies
// on: the handler never throws or ends, and every request gets exactly one answer, a result
// or an error.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string_view>

#include "tools/lsp/server.hpp"

namespace {

using q41::lsp::Json;

void Check(bool condition) {
  if (!condition) std::abort();
}

void Send(q41::lsp::Server& server, const Json& message) {
  const std::vector<Json> out = server.Handle(message);
  if (message.is_object() && message.contains("id") && message.contains("method")) {
    Check(out.size() == 1);
    Check(out[0].contains("result") != out[0].contains("error"));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  q41::lsp::Server server(q41::Language::English);
  Send(server, {{"jsonrpc", "2.0"}, {"id", 0}, {"method", "initialize"}});
  const Json doc = {{"uri", "file:///f.asm"}};
  Send(server, {{"jsonrpc", "2.0"},
                {"method", "textDocument/didOpen"},
                {"params", {{"textDocument", {{"uri", "file:///f.asm"}, {"text", text}}}}}});
  const Json position = {{"line", size % 7}, {"character", size % 13}};
  for (const char* method : {"textDocument/hover", "textDocument/definition",
                             "textDocument/references", "textDocument/completion",
                             "textDocument/semanticTokens/full", "textDocument/inlayHint",
                             "textDocument/documentSymbol"}) {
    Send(server, {{"jsonrpc", "2.0"},
                  {"id", 1},
                  {"method", method},
                  {"params", {{"textDocument", doc}, {"position", position}}}});
  }
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const Json message = Json::parse(text.substr(start, end - start), nullptr, false);
    if (!message.is_discarded()) Send(server, message);
    start = end + 1;
  }
  return 0;
}
