// The language server's answers to what a client may send, good and bad, straight through
// its message handler: every bad request gets the protocol's error and the server goes on.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tools/lsp/server.hpp"

namespace q41::lsp {
namespace {

Json Call(Server& s, int id, const std::string& method, Json params = Json::object()) {
  const std::vector<Json> out =
      s.Handle({{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}});
  return out.size() == 1 ? out.front() : Json();
}

std::vector<Json> Notify(Server& s, const std::string& method, Json params) {
  return s.Handle({{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
}

Json Open(Server& s, const std::string& uri, const std::string& text) {
  const auto out = Notify(s, "textDocument/didOpen",
                          {{"textDocument", {{"uri", uri}, {"version", 1}, {"text", text}}}});
  return out.size() == 1 ? out.front()["params"]["diagnostics"] : Json();
}

Json Doc(const std::string& uri) {
  return {{"textDocument", {{"uri", uri}}}};
}

TEST(LanguageServer, BadMessagesGetTheProtocolsErrorsAndTheServerGoesOn) {
  Server s(Language::English);
  EXPECT_EQ(Call(s, 1, "textDocument/hover", Doc("file:///a"))["error"]["code"], -32002);
  EXPECT_EQ(s.Handle(Json::array({1, 2})).front()["error"]["code"], -32600);
  // Text that is no JSON gets the parse error; a request as text, its answer as text.
  const std::vector<std::string> bad = s.HandleText("{\"jsonrpc\": ");
  ASSERT_EQ(bad.size(), 1u);
  EXPECT_EQ(Json::parse(bad.front())["error"]["code"], -32700);
  const std::vector<std::string> early =
      s.HandleText(R"({"jsonrpc": "2.0", "id": 9, "method": "textDocument/hover"})");
  ASSERT_EQ(early.size(), 1u);
  EXPECT_EQ(Json::parse(early.front())["id"], 9);
  ASSERT_TRUE(Call(s, 2, "initialize").contains("result"));
  Open(s, "file:///a", ";BLOCK 0\n  HLT\n");
  Json position = Doc("file:///a");
  position["position"] = {{"line", "one"}, {"character", 0}};
  const struct {
    std::string method;
    Json params;
    int code;
  } table[] = {
      {"workspace/nothing", Json::object(), -32601},
      {"textDocument/hover", Doc("file:///never-opened"), -32602},
      {"textDocument/hover", position, -32602},
      {"textDocument/rename", Doc("file:///a"), -32602},
  };
  int id = 3;
  for (const auto& row : table) {
    EXPECT_EQ(Call(s, id++, row.method, row.params)["error"]["code"], row.code) << row.method;
  }
  // Positions past the text, a document closed twice, a change to one never opened: no
  // answer that is not the protocol's, and no end.
  position["position"] = {{"line", 999}, {"character", 999}};
  EXPECT_TRUE(Call(s, id++, "textDocument/hover", position)["result"].is_null());
  EXPECT_EQ(Notify(s, "textDocument/didClose", Doc("file:///a")).size(), 1u);
  EXPECT_TRUE(Notify(s, "textDocument/didClose", Doc("file:///a")).empty());
  EXPECT_TRUE(
      Notify(s, "textDocument/didChange",
             {{"textDocument", {{"uri", "file:///a"}}}, {"contentChanges", {{{"text", "x"}}}}})
          .empty());
  EXPECT_TRUE(Notify(s, "textDocument/didOpen", {{"textDocument", 5}}).empty());
  EXPECT_TRUE(Call(s, id++, "shutdown").contains("result"));
  EXPECT_EQ(Call(s, id++, "textDocument/hover", position)["error"]["code"], -32600);
  Notify(s, "exit", Json::object());
  EXPECT_TRUE(s.Exited());
  EXPECT_EQ(s.ExitCode(), 0);
}

TEST(LanguageServer, PositionsAreUtf16UnitsAndForeignCharactersAreFaultsInPlace) {
  Server s(Language::Russian);
  Call(s, 1, "initialize");
  // "мир" is one byte a character in the code page, the emoji two UTF-16 units and no byte.
  const Json diagnostics = Open(s, "file:///b", ";BLOCK 0\n  HLT ; мир 😀 K\n  mov r9, r1 ; 😀\n");
  ASSERT_EQ(diagnostics.size(), 3u);
  const auto starts = [&](std::size_t k) { return diagnostics[k]["range"]["start"]; };
  EXPECT_EQ(diagnostics[0]["message"], "Метка не найдена в списке: R9");
  EXPECT_EQ(starts(0), (Json{{"line", 2}, {"character", 6}}));
  EXPECT_EQ(starts(1), (Json{{"line", 1}, {"character", 12}}));
  EXPECT_EQ(diagnostics[1]["range"]["end"]["character"], 14);
  EXPECT_EQ(starts(2), (Json{{"line", 2}, {"character", 15}}));
}

// The editor shows the file's lines: a hover and a completion tell where a name is defined as
// the line that go-to-definition goes to, for names of GLOBAL and of a block after settings.
TEST(LanguageServer, ANamesDefinitionIsToldAsTheFilesLine) {
  Server s(Language::English);
  Call(s, 1, "initialize");
  Open(s, "file:///p",
       "GLOBAL\n\nLIMIT=20\n\n;BLOCK 0\n;CPU\n;CPUaddr=0100\n\nTOP: mov #LIMIT, r0\n"
       "  br TOP\n  hlt\n");
  int id = 2;
  for (const auto& [line, character] : {std::pair{8, 11}, std::pair{9, 6}}) {
    Json at = Doc("file:///p");
    at["position"] = {{"line", line}, {"character", character}};
    const int target =
        Call(s, id++, "textDocument/definition", at)["result"]["range"]["start"]["line"];
    const std::string told = " line " + std::to_string(target + 1);
    const std::string hover =
        Call(s, id++, "textDocument/hover", at)["result"]["contents"]["value"];
    EXPECT_TRUE(hover.ends_with(told)) << hover;
    at["position"]["character"] = character + 1;
    const std::string name = hover.substr(0, hover.find(':'));
    std::string detail;
    const Json completion = Call(s, id++, "textDocument/completion", at);
    for (const Json& item : completion["result"]) {
      if (item["label"] == name) detail = item["detail"];
    }
    EXPECT_TRUE(detail.ends_with(told)) << detail;
  }
}

TEST(LanguageServer, AMillionLineDocumentIsReadAndAnswered) {
  Server s(Language::English);
  Call(s, 1, "initialize");
  std::string text = ";BLOCK 0\n";
  for (int k = 0; k < 1000000; ++k)
    text += k % 10 == 0 ? "L" + std::to_string(k) + ": NOP\n" : "; c\n";
  text += "  JMP NOWHERE\n";
  const Json diagnostics = Open(s, "file:///big", text);
  ASSERT_EQ(diagnostics.size(), 1u);
  EXPECT_EQ(diagnostics[0]["range"]["start"]["line"], 1000001);
  Json at = Doc("file:///big");
  at["position"] = {{"line", 999991}, {"character", 2}};
  EXPECT_EQ(Call(s, 2, "textDocument/definition", at)["result"]["range"]["start"]["line"], 999991);
}

}  // namespace
}  // namespace q41::lsp
