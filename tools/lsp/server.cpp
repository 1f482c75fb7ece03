#include "tools/lsp/server.hpp"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <nlohmann/json.hpp>

#include "blocks/block_marker.hpp"
#include "common/cp1251.hpp"
#include "common/number_text.hpp"
#include "language/queries.hpp"
#include "language/rename.hpp"

namespace q41::lsp {
namespace {

// The protocol's error codes.
constexpr int ParseError = -32700;
constexpr int InvalidRequest = -32600;
constexpr int MethodNotFound = -32601;
constexpr int InvalidParams = -32602;
constexpr int ServerNotInitialized = -32002;

struct ProtocolError {
  int code;
  std::string message;
};

DocumentLine ReadLine(std::string_view utf8) {
  DocumentLine line;
  int units = 0;
  for (std::size_t k = 0; k < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[k]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    const std::string_view character = utf8.substr(k, length);
    const std::string byte = Utf8ToCp1251(character);
    if (byte == "?" && character != "?")
      line.foreign.push_back(static_cast<int>(line.bytes.size()));
    line.utf16.push_back(units);
    line.bytes += byte.empty() ? std::string("?") : byte.substr(0, 1);
    units += length == 4 ? 2 : 1;
    k += length;
  }
  line.utf16.push_back(units);
  return line;
}

// The Windows-1251 lines of a text the client sent.
Lines BytesOf(const Document& d) {
  Lines bytes;
  bytes.reserve(d.lines.size());
  for (const DocumentLine& l : d.lines) bytes.push_back(l.bytes);
  return bytes;
}

std::vector<DocumentLine> ReadLines(const std::string& text) {
  std::vector<DocumentLine> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(ReadLine(line));
    start = end + 1;
  }
  return lines;
}

Document ReadDocument(const std::string& text, Language language, const Lines& unmarkedGlobal) {
  Document d;
  d.lines = ReadLines(text);
  d.program = ReadProgram(BytesOf(d), AssemblerOptions{language, true}, unmarkedGlobal);
  return d;
}

// A place of the language service as the protocol's range.
std::optional<Json> RangeOf(const Document& d, int block, const SourcePlace& place) {
  const auto line = d.program.FileLine(block, place.inGlobal, place.line);
  if (!line || *line >= d.lines.size()) return std::nullopt;
  const std::vector<int>& units = d.lines[*line].utf16;
  const auto at = [&units](int byte) {
    return units[static_cast<std::size_t>(std::clamp(byte, 0, static_cast<int>(units.size()) - 1))];
  };
  return Json{{"start", {{"line", *line}, {"character", at(place.start)}}},
              {"end", {{"line", *line}, {"character", at(place.start + place.length)}}}};
}

// Where a name of `block` is defined is told as the line of the file the editor shows.
FileLineOf FileLines(const Document& d, int block) {
  return [&d, block](const SourcePlace& place) -> std::optional<std::int32_t> {
    const auto line = d.program.FileLine(block, place.inGlobal, place.line);
    if (!line) return std::nullopt;
    return static_cast<std::int32_t>(*line) + 1;
  };
}

// A client's position: the line of the file and the byte of it.
struct Position {
  std::size_t line = 0;
  int byte = 0;
};

Position PositionOf(const Document& d, const Json& position) {
  const Json& line = position.at("line");
  const Json& character = position.at("character");
  if (!line.is_number_integer() || !character.is_number_integer() || line.get<long long>() < 0) {
    throw ProtocolError{InvalidParams, "bad position"};
  }
  Position p{static_cast<std::size_t>(line.get<long long>()), 0};
  if (p.line >= d.lines.size()) return p;
  const std::vector<int>& units = d.lines[p.line].utf16;
  const auto found = std::lower_bound(units.begin(), units.end(), character.get<long long>());
  p.byte = static_cast<int>(std::min<std::ptrdiff_t>(
      found - units.begin(), static_cast<std::ptrdiff_t>(units.size()) - 1));
  return p;
}

// The reference's HTML entry as the protocol's Markdown.
std::string Markdown(std::string html) {
  const std::pair<const char*, const char*> tags[] = {
      {"<h2>", "### "},   {"</h2>", "\n\n"},     {"<p>", ""},     {"</p>", "\n\n"},
      {"<b>", "**"},      {"</b>", "**"},        {"<code>", "`"}, {"</code>", "`"},
      {"<pre>", "```\n"}, {"</pre>", "\n```\n"}, {"<br>", "\n"},  {"<ul>", ""},
      {"</ul>", "\n"},    {"<li>", "- "},        {"</li>", "\n"}};
  for (const auto& [tag, markdown] : tags) {
    for (std::size_t at = html.find(tag); at != std::string::npos; at = html.find(tag, at)) {
      html.replace(at, std::string_view(tag).size(), markdown);
    }
  }
  std::string out;
  bool inTag = false;
  for (char c : html) {
    if (c == '<') inTag = true;
    if (!inTag) out += c;
    if (c == '>') inTag = false;
  }
  for (const auto& [entity, text] : {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}}) {
    for (std::size_t at = out.find(entity); at != std::string::npos; at = out.find(entity, at)) {
      out.replace(at, std::string_view(entity).size(), text);
    }
  }
  return out;
}

// The legend's entry of each kind, in the order of the kinds; a definition carries the
// declaration modifier.
constexpr int TokenTypes[] = {0, 1, 2, 3, 4, 4, 5, 6, 7};
static_assert(std::size(TokenTypes) == static_cast<std::size_t>(SyntaxKind::Comment) + 1);

int TokenType(SyntaxKind kind) {
  return TokenTypes[static_cast<std::size_t>(kind)];
}

Json Capabilities() {
  return {{"textDocumentSync", 1},
          {"hoverProvider", true},
          {"definitionProvider", true},
          {"referencesProvider", true},
          {"documentHighlightProvider", true},
          {"renameProvider", true},
          {"completionProvider", {{"triggerCharacters", Json::array()}}},
          {"documentSymbolProvider", true},
          {"inlayHintProvider", true},
          {"semanticTokensProvider",
           {{"legend",
             {{"tokenTypes",
               {"keyword", "variable", "number", "string", "function", "enumMember", "macro",
                "comment"}},
              {"tokenModifiers", {"declaration"}}}},
            {"full", true}}}};
}

}  // namespace

std::vector<Json> Server::Handle(const Json& message) {
  if (!message.is_object() || !message.contains("method") || !message["method"].is_string()) {
    // An answer from the client to a request of ours (we make none), or no message at all.
    if (message.is_object() && message.contains("id") && !message.contains("method")) return {};
    return {Json{{"jsonrpc", "2.0"},
                 {"id", nullptr},
                 {"error", {{"code", InvalidRequest}, {"message", "not a request"}}}}};
  }
  const std::string method = message["method"];
  const Json params = message.value("params", Json::object());
  if (!message.contains("id")) return Notification(method, params);
  Json answer{{"jsonrpc", "2.0"}, {"id", message["id"]}};
  try {
    answer["result"] = Request(method, params);
  } catch (const ProtocolError& e) {
    answer["error"] = {{"code", e.code}, {"message", e.message}};
  } catch (const Json::exception& e) {
    answer["error"] = {{"code", InvalidParams}, {"message", e.what()}};
  }
  return {answer};
}

std::vector<std::string> Server::HandleText(const std::string& body) {
  std::vector<Json> answers;
  Json message;
  try {
    message = Json::parse(body);
  } catch (const Json::exception&) {
    answers = {Json{{"jsonrpc", "2.0"},
                    {"id", nullptr},
                    {"error", {{"code", ParseError}, {"message", "parse error"}}}}};
  }
  if (answers.empty()) answers = Handle(message);
  std::vector<std::string> texts;
  for (const Json& answer : answers) {
    texts.push_back(answer.dump(-1, ' ', false, Json::error_handler_t::replace));
  }
  return texts;
}

Json Server::Request(const std::string& method, const Json& params) {
  if (method == "initialize") {
    initialized_ = true;
    return {{"capabilities", Capabilities()},
            {"serverInfo", {{"name", "q41-lsp"}, {"version", Q41_VERSION}}}};
  }
  if (!initialized_) throw ProtocolError{ServerNotInitialized, "initialize first"};
  if (method == "shutdown") {
    shutdown_ = true;
    return nullptr;
  }
  if (shutdown_) throw ProtocolError{InvalidRequest, "the server is shutting down"};
  const Document* d = Find(params);
  const bool known = method.rfind("textDocument/", 0) == 0;
  if (known && d == nullptr) throw ProtocolError{InvalidParams, "no such open document"};
  const std::string uri = known ? params["textDocument"]["uri"].get<std::string>() : "";
  if (method == "textDocument/hover") return Hover(*d, params.at("position"));
  if (method == "textDocument/definition") return Definition(uri, *d, params.at("position"));
  if (method == "textDocument/references") return References(uri, *d, params.at("position"));
  if (method == "textDocument/documentHighlight") return Highlights(*d, params.at("position"));
  if (method == "textDocument/rename") {
    return Rename(uri, *d, params.at("position"), params.at("newName").get<std::string>());
  }
  if (method == "textDocument/completion") return Completion(*d, params.at("position"));
  if (method == "textDocument/documentSymbol") return Symbols(*d);
  if (method == "textDocument/semanticTokens/full") return SemanticTokens(*d);
  if (method == "textDocument/inlayHint") return InlayHints(*d);
  throw ProtocolError{MethodNotFound, "unknown method " + method};
}

std::vector<Json> Server::Notification(const std::string& method, const Json& params) {
  if (method == "exit") {
    exited_ = true;
    return {};
  }
  if (!initialized_ || shutdown_) return {};
  try {
    if (method == "textDocument/didOpen" || method == "textDocument/didChange") {
      const Json& doc = params.at("textDocument");
      const std::string uri = doc.at("uri");
      const Json& text = method == "textDocument/didOpen"
                             ? doc.at("text")
                             : params.at("contentChanges").back().at("text");
      if (method == "textDocument/didChange" && !documents_.count(uri)) return {};
      documents_[uri] = ReadDocument(text.get<std::string>(), language_, unmarkedGlobal_);
      return {Diagnostics(uri)};
    }
    if (method == "workspace/didChangeConfiguration") return ChangeGlobal(params);
    if (method == "textDocument/didClose") {
      const std::string uri = params.at("textDocument").at("uri");
      // Closed twice, or never opened: nothing to forget.
      if (documents_.erase(uri) == 0) return {};
      return {Json{{"jsonrpc", "2.0"},
                   {"method", "textDocument/publishDiagnostics"},
                   {"params", {{"uri", uri}, {"diagnostics", Json::array()}}}}};
    }
  } catch (const Json::exception&) {
    // A notification has no answer: a malformed one is dropped.
  }
  return {};
}

// A client that shows each block alone tells the program's GLOBAL text in the settings'
// "global": every document without markers is checked with it from then on.
std::vector<Json> Server::ChangeGlobal(const Json& params) {
  const Json& settings = params.at("settings");
  if (!settings.is_object() || !settings.contains("global")) return {};
  Lines global;
  for (DocumentLine& line : ReadLines(settings.at("global").get<std::string>())) {
    global.push_back(std::move(line.bytes));
  }
  if (global == unmarkedGlobal_) return {};
  unmarkedGlobal_ = std::move(global);
  std::vector<Json> answers;
  for (auto& [uri, d] : documents_) {
    d.program = ReadProgram(BytesOf(d), AssemblerOptions{language_, true}, unmarkedGlobal_);
    answers.push_back(Diagnostics(uri));
  }
  return answers;
}

const Document* Server::Find(const Json& params) const {
  if (!params.is_object() || !params.contains("textDocument")) return nullptr;
  const Json& doc = params["textDocument"];
  if (!doc.is_object() || !doc.contains("uri") || !doc["uri"].is_string()) return nullptr;
  const auto it = documents_.find(doc["uri"].get<std::string>());
  return it == documents_.end() ? nullptr : &it->second;
}

Json Server::Diagnostics(const std::string& uri) const {
  const Document& d = documents_.at(uri);
  Json list = Json::array();
  auto add = [&](int block, const SourcePlace& place, const std::string& text, int severity) {
    if (auto range = RangeOf(d, block, place)) {
      list.push_back({{"range", *range},
                      {"severity", severity},
                      {"source", "q41"},
                      {"message", Cp1251ToUtf8(text)}});
    }
  };
  for (std::size_t b = 0; b < d.program.facts.size(); ++b) {
    const BlockFacts& f = d.program.facts[b];
    const int block = static_cast<int>(b);
    if (f.fault) {
      SourcePlace place = f.fault->place;
      if (place.line == 0) place = {false, 1, 0, 0};  // no line named: the block's first
      add(block, place, f.fault->errCaption, 1);
    }
    for (const BlockWarning& w : f.warnings) add(block, w.place, w.text, 2);
  }
  const char* foreign = Bilingual{"Символа нет в кодовой странице Windows-1251",
                                  "The Windows-1251 code page has no such character"}
                            .In(language_);
  for (std::size_t k = 0; k < d.lines.size(); ++k) {
    for (int byte : d.lines[k].foreign) {
      const auto at = static_cast<std::size_t>(byte);
      list.push_back({{"range",
                       {{"start", {{"line", k}, {"character", d.lines[k].utf16[at]}}},
                        {"end", {{"line", k}, {"character", d.lines[k].utf16[at + 1]}}}}},
                      {"severity", 1},
                      {"source", "q41"},
                      {"message", foreign}});
    }
  }
  return {{"jsonrpc", "2.0"},
          {"method", "textDocument/publishDiagnostics"},
          {"params", {{"uri", uri}, {"diagnostics", list}}}};
}

Json Server::Hover(const Document& d, const Json& position) const {
  const Position at = PositionOf(d, position);
  const auto where = d.program.PlaceOf(at.line);
  if (!where || d.program.facts.empty()) return nullptr;
  std::string markdown;
  SourcePlace place{where->inGlobal, where->line, at.byte, 0};
  const int block = where->inGlobal ? 0 : where->block;
  const BlockFacts& facts = d.program.facts[static_cast<std::size_t>(block)];
  const std::string& text = d.lines[at.line].bytes;
  const auto hover =
      where->inGlobal
          ? GlobalHoverAt(facts, text, where->line, at.byte, language_, FileLines(d, 0))
          : HoverAt(facts, text, where->line, at.byte, language_, FileLines(d, where->block));
  if (!hover) return nullptr;
  markdown = hover->html ? Markdown(hover->text) : Cp1251ToUtf8(hover->text);
  place.start = hover->start;
  place.length = hover->length;
  Json answer{{"contents", {{"kind", "markdown"}, {"value", markdown}}}};
  if (auto range = RangeOf(d, block, place)) answer["range"] = *range;
  return answer;
}

Json Server::Definition(const std::string& uri, const Document& d, const Json& position) const {
  const Position at = PositionOf(d, position);
  const NamedPlaces named = NamedPlacesAt(d.program, at.line, at.byte);
  if (named.name == nullptr || !named.name->defined) return nullptr;
  const auto range = RangeOf(d, named.places.front().block, named.name->definition);
  if (!range) return nullptr;
  return {{"uri", uri}, {"range", *range}};
}

Json Server::References(const std::string& uri, const Document& d, const Json& position) const {
  Json list = Json::array();
  const Position at = PositionOf(d, position);
  for (const auto& [block, place] : NamedPlacesAt(d.program, at.line, at.byte).places) {
    if (auto range = RangeOf(d, block, place)) list.push_back({{"uri", uri}, {"range", *range}});
  }
  return list;
}

Json Server::Highlights(const Document& d, const Json& position) const {
  Json list = Json::array();
  const Position at = PositionOf(d, position);
  for (const auto& [block, place] : NamedPlacesAt(d.program, at.line, at.byte).places) {
    const bool definition = place.inGlobal || list.empty();
    if (auto range = RangeOf(d, block, place)) {
      list.push_back({{"range", *range}, {"kind", definition ? 3 : 2}});
    }
  }
  return list;
}

Json Server::Rename(const std::string& uri, const Document& d, const Json& position,
                    const std::string& newName) const {
  const Position at = PositionOf(d, position);
  Lines file;
  file.reserve(d.lines.size());
  for (const DocumentLine& l : d.lines) file.push_back(l.bytes);
  const RenamePlan plan =
      PlanRename(file, d.program, at.line, at.byte, Utf8ToCp1251(newName), {language_, true});
  if (!plan.refusal.empty()) throw ProtocolError{InvalidParams, Cp1251ToUtf8(plan.refusal)};
  Json edits = Json::array();
  for (const auto& [block, place] : plan.places) {
    if (auto range = RangeOf(d, block, place)) {
      edits.push_back({{"range", *range}, {"newText", newName}});
    }
  }
  return {{"changes", {{uri, edits}}}};
}

Json Server::Completion(const Document& d, const Json& position) const {
  const Position at = PositionOf(d, position);
  const auto where = d.program.PlaceOf(at.line);
  Json items = Json::array();
  if (!where || where->inGlobal || at.line >= d.lines.size()) return items;
  const std::string& line = d.lines[at.line].bytes;
  const auto& facts = d.program.facts[static_cast<std::size_t>(where->block)];
  const std::string_view typed = WordBefore(line, at.byte);
  // The word replaces what was typed, in the case it was typed in: a client filters what it
  // is offered by the text typed, and one that tells cases apart would drop "MOV" for "mo".
  const DocumentLine& text = d.lines[at.line];
  const auto from = static_cast<std::size_t>(at.byte) - typed.size();
  const Json range{
      {"start", {{"line", at.line}, {"character", text.utf16[from]}}},
      {"end", {{"line", at.line}, {"character", text.utf16[static_cast<std::size_t>(at.byte)]}}}};
  for (const q41::Completion& c : CompletionsFor(facts, typed, CompletionPlaceAt(line, at.byte),
                                                 language_, FileLines(d, where->block))) {
    const int kind = c.kind == CompletionKind::Mnemonic   ? 14
                     : c.kind == CompletionKind::Register ? 6
                     : c.kind == CompletionKind::Label    ? 18
                                                          : 21;
    const std::string word = Cp1251ToUtf8(InTypedCase(c.word, typed));
    items.push_back({{"label", word},
                     {"filterText", word},
                     {"insertText", word},
                     {"textEdit", {{"range", range}, {"newText", word}}},
                     {"detail", Cp1251ToUtf8(c.detail)},
                     {"kind", kind}});
  }
  return items;
}

Json Server::Symbols(const Document& d) const {
  Json list = Json::array();
  auto symbol = [&](const std::string& name, int kind, const Json& range) {
    return Json{{"name", name}, {"kind", kind}, {"range", range}, {"selectionRange", range}};
  };
  for (std::size_t b = 0; b < d.program.blocks.size(); ++b) {
    const int block = static_cast<int>(b);
    const auto lines = static_cast<int>(d.program.blocks[b].size());
    const auto first = RangeOf(d, block, {false, 1, 0, 0});
    const auto last = RangeOf(d, block, {false, std::max(lines, 1), 0, 0});
    if (!first || !last) continue;
    Json whole = *first;
    whole["end"] = (*last)["end"];
    whole["end"]["character"] = d.lines[whole["end"]["line"].get<std::size_t>()].utf16.back();
    Json blockSymbol = symbol(BlockCaption(b), 2, whole);
    blockSymbol["children"] = Json::array();
    for (const NameFacts& n : d.program.facts[b].names) {
      if (!n.defined || n.definition.inGlobal) continue;
      if (auto range = RangeOf(d, block, n.definition)) {
        const bool constant = n.kind == SyntaxKind::ConstantDefinition;
        blockSymbol["children"].push_back(symbol(Cp1251ToUtf8(n.name), constant ? 14 : 12, *range));
      }
    }
    list.push_back(blockSymbol);
  }
  if (!d.program.facts.empty()) {
    for (const NameFacts& n : d.program.facts[0].names) {
      if (!n.defined || !n.definition.inGlobal) continue;
      if (auto range = RangeOf(d, 0, n.definition))
        list.push_back(symbol(Cp1251ToUtf8(n.name), 14, *range));
    }
  }
  return list;
}

Json Server::SemanticTokens(const Document& d) const {
  std::vector<int> data;
  std::size_t lastLine = 0;
  int lastStart = 0;
  for (std::size_t k = 0; k < d.lines.size(); ++k) {
    const auto where = d.program.PlaceOf(k);
    if (!where) continue;
    const DocumentLine& line = d.lines[k];
    for (const SyntaxSpan& span :
         where->inGlobal ? GlobalLineTokens(line.bytes) : LineTokens(line.bytes)) {
      const auto begin = static_cast<std::size_t>(span.start);
      const int start = line.utf16[begin];
      const int length = line.utf16[begin + static_cast<std::size_t>(span.length)] - start;
      const bool declares =
          span.kind == SyntaxKind::LabelDefinition || span.kind == SyntaxKind::ConstantDefinition;
      data.insert(data.end(),
                  {static_cast<int>(k - lastLine), k == lastLine ? start - lastStart : start,
                   length, TokenType(span.kind), declares ? 1 : 0});
      lastLine = k;
      lastStart = start;
    }
  }
  return {{"data", data}};
}

Json Server::InlayHints(const Document& d) const {
  Json list = Json::array();
  for (std::size_t b = 0; b < d.program.facts.size(); ++b) {
    const BlockFacts& f = d.program.facts[b];
    // A failed compile's words still wait for their labels' addresses.
    if (!f.compiled) continue;
    for (std::size_t k = 0; k < d.program.blocks[b].size(); ++k) {
      const auto line = static_cast<std::int32_t>(k + 1);
      const WordRange words = WordsOfLine(f.wordSourceLine, line);
      if (words.empty() || words.last > f.code.size()) continue;
      std::string label = HexWordText(2 * static_cast<std::int64_t>(words.first)) + ":";
      for (std::size_t w = words.first; w < words.last; ++w) label += " " + f.code[w];
      const auto fileLine = d.program.FileLine(static_cast<int>(b), false, line);
      if (!fileLine) continue;
      list.push_back(
          {{"position", {{"line", *fileLine}, {"character", d.lines[*fileLine].utf16.back()}}},
           {"label", "  " + label},
           {"paddingLeft", true}});
    }
  }
  return list;
}

}  // namespace q41::lsp
