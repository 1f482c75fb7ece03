#include "tools/web/core_requests.hpp"

#include <nlohmann/json.hpp>

#include <optional>
#include <stdexcept>
#include <string_view>

#include "blocks/code_file.hpp"
#include "blocks/compile.hpp"
#include "blocks/listing.hpp"
#include "blocks/program_file.hpp"
#include "blocks/reference.hpp"
#include "common/cp1251.hpp"
#include "common/interface_texts.hpp"
#include "common/number_text.hpp"
#include "common/text.hpp"

namespace q41::web {
namespace {

using Json = nlohmann::json;

// A request the core cannot read: its text is the answer's "error".
struct BadRequest : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The page's texts are UTF-8 with "\n" between lines; the core's, lines in Windows-1251.
// As an editor holds them: n line breaks make n + 1 lines, the last perhaps empty.
Lines LinesOf(const std::string& utf8) {
  const std::string bytes = Utf8ToCp1251(utf8);
  Lines lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = bytes.find('\n', start);
    std::string line = bytes.substr(start, end == std::string::npos ? end : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    if (end == std::string::npos) return lines;
    start = end + 1;
  }
}

std::string TextOf(const Lines& lines) {
  std::string text = JoinLines(lines, "\n");
  if (!text.empty()) text.pop_back();
  return Cp1251ToUtf8(text);
}

// Files cross as base64: their bytes are the code page's, which JSON cannot carry as they are.
constexpr std::string_view Digits =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t k = 0; k < bytes.size(); k += 3) {
    unsigned v = static_cast<unsigned char>(bytes[k]) << 16;
    if (k + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[k + 1]) << 8;
    if (k + 2 < bytes.size()) v |= static_cast<unsigned char>(bytes[k + 2]);
    out += Digits[(v >> 18) & 63];
    out += Digits[(v >> 12) & 63];
    out += k + 1 < bytes.size() ? Digits[(v >> 6) & 63] : '=';
    out += k + 2 < bytes.size() ? Digits[v & 63] : '=';
  }
  return out;
}

std::string FromBase64(std::string_view text) {
  std::string out;
  unsigned v = 0;
  int bits = 0;
  for (char c : text) {
    if (c == '=' || c == '\n' || c == '\r') continue;
    const std::size_t d = Digits.find(c);
    if (d == std::string_view::npos) throw BadRequest("bytes: not base64");
    v = (v << 6) | static_cast<unsigned>(d);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((v >> bits) & 0xFF);
    }
  }
  return out;
}

std::vector<std::int32_t> WordLines(const Json& block) {
  if (!block.contains("wordSourceLine")) return {};
  return block.at("wordSourceLine").get<std::vector<std::int32_t>>();
}

// Where the blocks' sources stand when they come beside the request rather than in it: a
// block that says "sourceBytes" has that many bytes of UTF-8 there, after the block before's.
struct Sources {
  std::string_view rest;

  Lines Next(const Json& block) {
    if (!block.contains("sourceBytes")) return LinesOf(block.value("source", ""));
    const auto size = block.at("sourceBytes").get<std::size_t>();
    if (size > rest.size()) throw BadRequest("sourceBytes: more than was given");
    Lines lines = LinesOf(std::string(rest.substr(0, size)));
    rest.remove_prefix(size);
    return lines;
  }
};

void ReadBlock(const Json& b, BlockRecord& r, Sources& sources) {
  r.source = sources.Next(b);
  const auto ppu = b.value("ppu", std::vector<bool>(4, false));
  for (std::size_t k = 0; k < r.ppu.size() && k < ppu.size(); ++k) r.ppu[k] = ppu[k];
  r.cpuAddress = Utf8ToCp1251(b.value("cpuAddress", "0000"));
  r.ppuAddress = Utf8ToCp1251(b.value("ppuAddress", "0000"));
  r.wordCount = Utf8ToCp1251(b.value("wordCount", "0000"));
  r.code = b.value("code", Lines{});
  r.codeFromFailedCompile = b.value("codeFromFailedCompile", false);
}

Program ProgramOf(const Json& p, Sources sources = {}) {
  if (!p.is_object()) throw BadRequest("program: not an object");
  const Json& blocks = p.at("blocks");
  if (!blocks.is_array() || blocks.empty() || blocks.size() > BlockCount) {
    throw BadRequest("program: 1 to 6 blocks");
  }
  Program program;
  for (std::size_t k = 1; k < blocks.size(); ++k) program.AddBlock();
  for (std::size_t k = 0; k < blocks.size(); ++k) {
    ReadBlock(blocks[k], program.Block(static_cast<int>(k)), sources);
  }
  program.SetHeader(LinesOf(p.value("header", "")));
  program.SetGlobal(LinesOf(p.value("global", "")));
  program.SetMemory(p.value("memory", 0) == 1 ? MemoryMode::Distributed : MemoryMode::Common);
  return program;
}

// The program as JSON. A compile's answer leaves the texts out (the header, GLOBAL and the
// sources, which the page has and a compile does not change): for a large program, they
// would take longer to pass back than the compile takes.
enum class Texts { With, Without };

Json JsonOf(const Program& program, Texts texts = Texts::With) {
  Json blocks = Json::array();
  for (int n = 0; n <= program.LastBlock(); ++n) {
    const BlockRecord& r = program.Block(n);
    Json b{{"ppu", std::vector<bool>(r.ppu.begin(), r.ppu.end())},
           {"ppuList", r.PpuList()},
           {"cpuAddress", Cp1251ToUtf8(r.cpuAddress)},
           {"ppuAddress", Cp1251ToUtf8(r.ppuAddress)},
           {"wordCount", Cp1251ToUtf8(r.wordCount)},
           {"code", r.code},
           {"codeFromFailedCompile", r.codeFromFailedCompile},
           {"wordSourceLine", Json::array()}};
    if (texts == Texts::With) b["source"] = TextOf(r.source);
    blocks.push_back(std::move(b));
  }
  Json answer{{"memory", program.Memory() == MemoryMode::Distributed ? 1 : 0},
              {"blocks", std::move(blocks)}};
  if (texts == Texts::With) {
    answer["header"] = TextOf(program.Header());
    answer["global"] = TextOf(program.Global());
  }
  return answer;
}

Json JsonOf(const CompileOutcome& o) {
  Json labels = Json::array();
  for (const LabelText& l : o.labels) {
    labels.push_back({{"name", Cp1251ToUtf8(l.name)},
                      {"kind", Cp1251ToUtf8(l.kind)},
                      {"value", Cp1251ToUtf8(l.value)}});
  }
  Json warnings = Json::array();
  for (const CompileWarning& w : o.warnings) {
    warnings.push_back({{"text", Cp1251ToUtf8(w.text)}, {"line", w.line}});
  }
  const SourcePlace& place = o.status.place;
  return {{"succeeded", o.succeeded},
          {"preprocessed", o.preprocessed},
          {"lineCaption", Cp1251ToUtf8(o.status.lineCaption)},
          {"errCaption", Cp1251ToUtf8(o.status.errCaption)},
          {"line", place.inGlobal ? 0 : place.line},
          {"inGlobal", place.inGlobal},
          {"start", place.start},
          {"length", place.length},
          {"code", o.code},
          {"wordSourceLine", o.wordSourceLine},
          {"labels", std::move(labels)},
          {"warnings", std::move(warnings)}};
}

int BlockOf(const Json& request, const Program& program) {
  const int n = request.at("block").get<int>();
  if (n < 0 || n > program.LastBlock()) throw BadRequest("block: no such block");
  return n;
}

Json Defaults() {
  Program firstRun;
  firstRun.Block(0).source = Program::FirstRunSource();
  // New program, as the windows make it after the first: no header and no GLOBAL text.
  Program fresh;
  fresh.SetHeader({});
  fresh.SetGlobal({});
  fresh.Block(0).source = Program::NewProgramSource();
  return {{"firstRun", JsonOf(firstRun)}, {"newProgram", JsonOf(fresh)}};
}

Json Texts(Language language) {
  Json texts = Json::object();
  for (int row = 0; row < InterfaceTextCount; ++row) {
    const auto text = static_cast<InterfaceText>(row);
    texts[InterfaceTextName(text)] = InterfaceTextOf(text).In(language);
  }
  return {{"texts", std::move(texts)}};
}

Json ReadFile(const Json& request) {
  const Program before = ProgramOf(request.at("before"));
  ProgramRead read =
      ReadProgramFile(SplitLines(FromBase64(request.at("bytes").get<std::string>())), before);
  return {{"program", JsonOf(read.program)},
          {"marked", read.marked},
          {"memoryRefused", read.memoryRefused ? Cp1251ToUtf8(*read.memoryRefused) : ""}};
}

Json WriteFile(const Json& request, const Sources& sources) {
  std::optional<MarkerClash> clash;
  const Lines lines = WriteProgramFile(ProgramOf(request.at("program"), sources), clash);
  Json answer{{"bytes", Base64(JoinLines(lines, "\r\n"))}, {"clash", nullptr}};
  if (clash) {
    static constexpr const char* Where[] = {"header", "global", "block"};
    answer["clash"] = {{"where", Where[static_cast<int>(clash->where)]},
                       {"block", clash->block},
                       {"line", clash->line},
                       {"marker", clash->marker},
                       {"text", Cp1251ToUtf8(clash->text)}};
  }
  return answer;
}

Json CodeFile(const Json& request, const Sources& sources) {
  const Program program = ProgramOf(request.at("program"), sources);
  Json gaps = Json::array();
  for (int n = 0; n <= program.LastBlock(); ++n) {
    if (CodeGapOf(program, n, false)) gaps.push_back(n);
  }
  return {{"bytes", Base64(CodeFileText(program, "\r\n"))}, {"blocksWithoutCode", gaps}};
}

// Compile block: the answer's program is the compiled block's fields alone ("blocks" holds
// only it, at "block").
Json CompileOne(const Json& request, Language language, const Sources& sources) {
  Program program = ProgramOf(request.at("program"), sources);
  CompileWorkspace workspace;
  const int n = BlockOf(request, program);
  const CompileOutcome outcome =
      CompileProgramBlock(program, workspace, n, AssemblerOptions{language, true});
  Json block = JsonOf(program, Texts::Without)["blocks"][static_cast<std::size_t>(n)];
  block["wordSourceLine"] = outcome.wordSourceLine;
  return {{"block", n}, {"compiled", std::move(block)}, {"outcome", JsonOf(outcome)}};
}

Json CompileEvery(const Json& request, Language language, const Sources& sources) {
  Program program = ProgramOf(request.at("program"), sources);
  CompileWorkspace workspace;
  CompileAllRequest how;
  how.options = AssemblerOptions{language, true};
  how.keepLabels = true;
  const CompileAllOutcome all = CompileAll(program, workspace, how);
  // The failing block shows the words it got to, as the windows show them.
  if (all.failedBlock >= 0) {
    BlockRecord& failed = program.Block(all.failedBlock);
    failed.code = all.blocks.back().code;
    failed.codeFromFailedCompile = true;
  }
  Json answer{{"program", JsonOf(program, Texts::Without)},
              {"succeeded", all.succeeded},
              {"failedBlock", all.failedBlock},
              {"blocks", Json::array()},
              {"lineCaption", Cp1251ToUtf8(all.Status().lineCaption)},
              {"errCaption", Cp1251ToUtf8(all.Status().errCaption)}};
  for (std::size_t k = 0; k < all.blocks.size(); ++k) {
    answer["blocks"].push_back(JsonOf(all.blocks[k]));
    // The label grid shows the last block compiled, as the windows' does.
    if (k + 1 < all.blocks.size()) answer["blocks"][k]["labels"] = Json::array();
    answer["program"]["blocks"][k]["wordSourceLine"] = all.blocks[k].wordSourceLine;
  }
  return answer;
}

Json ListingRequest(const Json& request, const Sources& sources) {
  const Program program = ProgramOf(request.at("program"), sources);
  const int n = BlockOf(request, program);
  const BlockRecord& r = program.Block(n);
  const auto lines = WordLines(request.at("program").at("blocks")[static_cast<std::size_t>(n)]);
  if (lines.size() != r.code.size()) throw BadRequest("listing: words and their lines differ");
  Json rows = Json::array();
  for (const ListingRow& row : ListingRows(r.source.size(), r.code.size(), lines)) {
    rows.push_back({{"text", Cp1251ToUtf8(ListingRowText(row, r.source, r.code))},
                    {"sourceLine", row.sourceLine},
                    {"continuation", row.continuation},
                    {"firstWord", row.firstWord},
                    {"lastWord", row.lastWord}});
  }
  return {{"rows", std::move(rows)}};
}

// A block's fields as the windows show them once set: the PPU list of its PPUs, and the
// load addresses with four digits.
Json BlockFields(const Json& request) {
  BlockRecord r;
  Sources none;
  ReadBlock(request.at("block"), r, none);
  PadToFourDigits(r.cpuAddress);
  PadToFourDigits(r.ppuAddress);
  return {{"ppuList", r.PpuList()},
          {"cpuAddress", Cp1251ToUtf8(r.cpuAddress)},
          {"ppuAddress", Cp1251ToUtf8(r.ppuAddress)}};
}

Json Reference(Language language) {
  Json entries = Json::array();
  for (const ReferenceEntry& e : InstructionReference(language)) {
    entries.push_back({{"key", e.key}, {"title", e.title}, {"html", e.html}});
  }
  return {{"entries", std::move(entries)}};
}

Json Answer(const Json& request, Language language, const Sources& sources) {
  const std::string op = request.at("op").get<std::string>();
  if (op == "defaults") return Defaults();
  if (op == "texts") return Texts(language);
  if (op == "readProgram") return ReadFile(request);
  if (op == "writeProgram") return WriteFile(request, sources);
  if (op == "codeFile") return CodeFile(request, sources);
  if (op == "compileBlock") return CompileOne(request, language, sources);
  if (op == "compileAll") return CompileEvery(request, language, sources);
  if (op == "listing") return ListingRequest(request, sources);
  if (op == "reference") return Reference(language);
  if (op == "blockFields") return BlockFields(request);
  throw BadRequest("unknown op " + op);
}

}  // namespace

std::string HandleCoreRequest(std::string_view request, std::string_view sources,
                              Language language) {
  try {
    return Answer(Json::parse(request), language, Sources{sources}).dump();
  } catch (const BadRequest& e) {
    return Json{{"error", e.what()}}.dump();
  } catch (const Json::exception& e) {
    return Json{{"error", e.what()}}.dump();
  }
}

}  // namespace q41::web
