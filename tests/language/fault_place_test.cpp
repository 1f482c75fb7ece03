// Where a fault is placed: by the stage that raises it, on the text its message quotes.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>

#include "blocks/compile.hpp"
#include "generate.hpp"
#include "language/service.hpp"
#include "marked.hpp"
#include "preprocessor/preproc.hpp"

namespace q41 {
namespace {

const AssemblerOptions English{Language::English, true};

using test::Marked;

struct PlaceRow {
  Msg message;
  Lines source;
  Lines glob;
  std::string marked;
  int start;
  int length;
};

// One case of every message a compile can fault with, and of every way a place is found.
TEST(FaultPlace, EveryMessageMarksItsText) {
  using Row = PlaceRow;
  Lines farBranch(70, "  mov #1234h, r0");
  farBranch.insert(farBranch.begin(), "  bne far");
  farBranch.push_back("far: hlt");
  const std::vector<Row> rows = {
      {MsgBadNumberSymbol, {"  mov #12x4, r0"}, {}, "1: 12x4", 7, 4},
      {MsgBadNumberSymbol, {"  dw 1g2h ; the last bad digit"}, {}, "1: g", 6, 1},
      {MsgBadNumberSymbol, {"  rw 1o"}, {}, "1: 1o", 5, 2},
      {MsgBadNumberSymbol, {"  hlt"}, {"A = 1", "  b = z z"}, "GLOBAL 2: z z", 6, 3},
      {MsgBadIdentifierSymbol, {"a  b : nop"}, {}, "1: a  b :", 0, 6},
      {MsgBadIdentifierSymbol, {"a:b: nop"}, {}, "1: b: nop", 2, 6},
      {MsgConstTooLarge, {"  mov #-40000, r0"}, {}, "1: 40000", 8, 5},
      {MsgConstTooLarge, {"  dw 0012345h"}, {}, "1: 12345", 7, 5},
      {MsgConstTooLarge, {"x = 99999"}, {}, "1: 99999", 4, 5},
      {MsgDuplicateLabel, {"a: nop", "A: hlt"}, {}, "2: A", 0, 1},
      {MsgDuplicateLabel, {"len(s) = 1", "s: ds ab ; c"}, {}, "2: ds ab ", 3, 6},
      {MsgLabelNotFound, {"  mov #nowhere, r0"}, {}, "1: nowhere", 7, 7},
      {MsgLabelNotFound, {"  hlt", "  mov r1%,nowhere%"}, {}, "2: nowhere", 10, 7},
      {MsgCommaNotFound, {"  mov r0 r1"}, {}, "1: r0 r1", 6, 5},
      {MsgCommaNotFound, {"loop: mov"}, {}, "1: mov", 6, 3},
      {MsgBadPort, {"  in p.9x, r0"}, {}, "1: p.9x", 5, 4},
      {MsgConstForbidden, {"  mov r0, #5"}, {}, "1: #5", 10, 2},
      {MsgConstForbidden, {"  mov r0, #'a'"}, {}, "1: #'a'", 10, 4},
      {MsgUnknownOperation, {"  frob r1"}, {}, "1: frob", 2, 4},
      {MsgExtraOperand, {"  hlt r1 ; none"}, {}, "1: r1", 6, 2},
      {MsgMissedOperand, {"x: not"}, {}, "1: not", 3, 3},
      {MsgMissedOperand, {"  in p., r0"}, {}, "1: p.", 5, 2},
      {MsgByteForbidden, {"  push r1%"}, {}, "1: r1%", 7, 3},
      {MsgDisplacementTooLong, farBranch, {}, "1: far", 6, 3},
      {MsgInvalidValue, {"  mov #'ab', r0"}, {}, "1: #'ab'", 6, 5},
      {MsgInvalidValue, {"  rw 000"}, {}, "1: 000", 5, 3},
      {MsgMixingByteWord, {"  mov r1, r2%"}, {}, "1: r1, r2%", 6, 7},
      {MsgIdentifierStartsBadly, {"9x: hlt"}, {}, "1: 9x:", 0, 3},
      {MsgNoValueAfterHash, {"  mov #%, r0"}, {}, "1: #", 6, 1},
      {MsgEqualsNotFound, {"  hlt"}, {"  A 5 "}, "GLOBAL 1: A 5", 2, 3},
      // A line the preprocessor made stands for its directive.
      {MsgBadNumberSymbol, {"x = rw 2"}, {}, "1: rw 2", 4, 4},
  };
  for (const Row& row : rows) {
    CompileWorkspace workspace;
    const CompileOutcome outcome = CompileSource(workspace, row.source, row.glob, English, nullptr);
    ASSERT_FALSE(outcome.succeeded) << row.marked;
    const std::string& message = Message(Language::English, row.message);
    EXPECT_EQ(outcome.status.errCaption.substr(0, message.size()), message) << row.marked;
    const SourcePlace& place = outcome.status.place;
    EXPECT_EQ(Marked(place, row.source, row.glob), row.marked) << outcome.status.errCaption;
    EXPECT_EQ(place.start, row.start) << row.marked;
    EXPECT_EQ(place.length, row.length) << row.marked;
    // The language service hands on the same place.
    const BlockFacts facts = ReadBlock(row.source, row.glob, English);
    ASSERT_TRUE(facts.fault.has_value());
    EXPECT_EQ(facts.fault->place, place) << row.marked;
  }
}

// How faults were placed before the translator placed them: the longest of the pieces the
// preprocessor passed on, and of their words, that the message quotes, else the whole code;
// a GLOBAL fault on the GLOBAL line that reads as the caption shows it.
SourcePlace TrimmedPlace(std::string_view text, std::size_t from, std::size_t to) {
  while (from < to && text[from] == Blank) ++from;
  while (to > from && text[to - 1] == Blank) --to;
  return {false, 0, static_cast<int>(from), static_cast<int>(to - from)};
}

std::string AsGlobalRead(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c != Blank) out += UpperAscii(c);
  }
  return out;
}

SourcePlace MessageSearchPlace(std::string_view line, const std::string& message) {
  const LineReading reading = ReadSourceLine(line, Language::English);
  SourcePlace place = TrimmedPlace(line, 0, reading.codeEnd);
  std::string upperMessage = message;
  MakeUpper(upperMessage);
  std::size_t best = 0;
  auto consider = [&](const ReadPiece& piece, std::size_t begin, std::size_t end) {
    const std::string_view quoted = std::string_view(piece.text).substr(begin, end - begin);
    if (quoted.size() <= best || upperMessage.find(quoted) == std::string::npos) return;
    best = quoted.size();
    place.start = static_cast<int>(piece.columns[begin]);
    place.length = static_cast<int>(piece.columns[end - 1] + 1 - piece.columns[begin]);
  };
  for (const ReadPiece& piece : reading.pieces) {
    consider(piece, 0, piece.text.size());
    std::size_t from = 0;
    for (std::size_t k = 0; k <= piece.text.size(); ++k) {
      const char c = k < piece.text.size() ? piece.text[k] : Blank;
      if (c == ':' || c == '=') consider(piece, from, k + 1);
      if (c != Blank && c != ',') continue;
      consider(piece, from, k);
      if (from < k && piece.text[from] == '#') consider(piece, from + 1, k);
      from = k + 1;
    }
  }
  return place;
}

SourcePlace MessageSearchFault(const StatusReport& status, const Lines& source, const Lines& glob) {
  SourcePlace place;
  const std::string_view globalPrefix = "GLOBAL: ";
  if (status.selection.kind == Selection::Kind::Line) {
    const auto row = static_cast<std::size_t>(status.selection.row);
    place = MessageSearchPlace(source[row], status.errCaption);
    place.line = static_cast<std::int32_t>(row + 1);
  } else if (StartsWith(status.lineCaption, globalPrefix)) {
    const std::string_view shown = std::string_view(status.lineCaption).substr(globalPrefix.size());
    for (std::size_t k = 0; k < glob.size(); ++k) {
      if (AsGlobalRead(glob[k]) != shown) continue;
      place = TrimmedPlace(glob[k], 0, glob[k].size());
      place.inGlobal = true;
      place.line = static_cast<std::int32_t>(k + 1);
      break;
    }
  }
  return place;
}

// Text as the translator compares it: upper case, no blanks, and, with `coded`, the first
// character constant as the code the preprocessor puts in its place (the "#" before it
// stays where it was: the code's first digit stands for the opening quote).
std::string Normalised(std::string_view text, bool coded) {
  std::string out;
  for (std::size_t k = 0; k < text.size(); ++k) {
    if (coded && text[k] == '\'' && k + 2 < text.size() && text[k + 2] == '\'') {
      out += std::to_string(static_cast<unsigned char>(text[k + 1]));
      k += 2;
      coded = false;
    } else if (text[k] != Blank) {
      out += UpperAscii(text[k]);
    }
  }
  return out;
}

// The fault message `text` starts with, and what it quotes after it.
struct Quote {
  int message = -1;
  std::string quoted;
};
Quote QuoteOf(const std::string& text) {
  Quote q;
  for (int n = 0; n < MessageCount; ++n) {
    const std::string& m = Message(Language::English, n);
    if (n == MsgSuccess || !StartsWith(text, m)) continue;
    if (q.message >= 0 && m.size() <= Message(Language::English, q.message).size()) continue;
    q.message = n;
    // "RW " with a bad count quotes it after a blank, every other message after ": ".
    const std::size_t from = m.size() + (text.compare(m.size(), 2, ": ") == 0 ? 2 : 1);
    q.quoted = from < text.size() ? text.substr(from) : std::string();
  }
  return q;
}

std::string_view TextAt(const SourcePlace& p, const Lines& source, const Lines& glob) {
  const std::string& line = (p.inGlobal ? glob : source)[static_cast<std::size_t>(p.line - 1)];
  return std::string_view(line).substr(static_cast<std::size_t>(p.start),
                                       static_cast<std::size_t>(p.length));
}

// Whether the text at the place is the text the message quotes, modulo case, the blanks
// the preprocessor normalises and character constants.
bool PlaceQuotes(const SourcePlace& place, const Quote& quote, const Lines& source,
                 const Lines& glob) {
  const std::string_view text = TextAt(place, source, glob);
  const std::string quoted = Normalised(quote.quoted, false);
  return Normalised(text, false) == quoted || Normalised(text, true) == quoted;
}

// The exceptions: a message that quotes nothing marks the operand or statement it is
// about; a pair of operands of mixed width, as read, the whole operand list; "RW 0", the
// count as written; a line the preprocessor made (a string's length, the words of "RW "),
// its directive.
std::string Exception(const SourcePlace& place, const Quote& quote, const Lines& source,
                      const Lines& glob) {
  if (quote.quoted.empty()) return "the message quotes nothing: the operand or statement";
  if (quote.message == MsgMixingByteWord) return "operands of mixed width: both";
  const std::string text = Normalised(TextAt(place, source, glob), false);
  if (quote.message == MsgInvalidValue && quote.quoted == "0" &&
      text.find_first_not_of('0') == std::string::npos) {
    return "a count of \"RW \" that is 0: as written";
  }
  if (place.inGlobal) return "";
  const LineReading reading =
      ReadSourceLine(source[static_cast<std::size_t>(place.line - 1)], Language::English);
  if ((reading.isString && place.start == static_cast<int>(reading.stringDirectiveAt)) ||
      (reading.reservedWords &&
       place.start == static_cast<int>(reading.pieces.back().columns[0]))) {
    return "a line the preprocessor made: its directive";
  }
  return "";
}

// How the old placement differs from the new one (which quotes its text, or is an
// exception); empty when it is not a kind explained.
std::string DifferenceKind(const SourcePlace& now, const SourcePlace& old, const Quote& quote,
                           const std::string& exception, const Lines& source, const Lines& glob) {
  if (now == old) return "same";
  if (old.line != now.line || old.inGlobal != now.inGlobal) return "";
  if (!exception.empty()) return exception;
  const int nowEnd = now.start + now.length;
  const int oldEnd = old.start + old.length;
  const std::string oldText = Normalised(TextAt(old, source, glob), false);
  const std::string quoted = Normalised(quote.quoted, false);
  if (old.start <= now.start && nowEnd <= oldEnd) return "the old mark was wider";
  std::string fixed = Message(Language::English, quote.message) + ": ";
  MakeUpper(fixed);
  if (quoted.find(oldText) == std::string::npos && fixed.find(oldText) != std::string::npos) {
    return "the old mark was a word of the message itself";
  }
  if (oldText == Normalised(TextAt(now, source, glob), false)) {
    return old.start == now.start ? "the old mark left out a blank the message quotes"
                                  : "the old mark was the same text elsewhere on the line";
  }
  if (now.start <= old.start && oldEnd <= nowEnd) return "the old mark was part of the quote";
  if (quoted.find(oldText) != std::string::npos) {
    return "the old mark was other text that the quote happens to hold";
  }
  return "";
}

std::vector<std::string> DictionaryWords() {
  std::ifstream in(std::filesystem::path(Q41_FUZZ_DIR) / "q41.dict");
  std::vector<std::string> words;
  for (std::string line; std::getline(in, line);) {
    if (line.size() < 2 || line.front() != '"') continue;
    std::string word;
    for (std::size_t k = 1; k + 1 < line.size(); ++k) {
      if (line[k] == '\\' && line[k + 1] == 'x' && k + 3 < line.size()) {
        word += static_cast<char>(std::stoi(line.substr(k + 2, 2), nullptr, 16));
        k += 3;
      } else if (line[k] == '\\') {
        word += line[++k];
      } else {
        word += line[k];
      }
    }
    words.push_back(word);
  }
  return words;
}

// Blocks to break: generated ones and the inputs of the tool's cases.
std::vector<Lines> SeedBlocks() {
  std::vector<Lines> seeds = {bench::GenerateQ41Block(80), bench::GenerateCommentedQ41Block(48)};
  for (const auto& entry : std::filesystem::directory_iterator(Q41_TEST_DATA)) {
    std::ifstream in(entry.path() / "input.asm", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!bytes.empty()) seeds.push_back(SplitLines(bytes));
  }
  return seeds;
}

// A fault's place lies on the reported line, inside it, and is never empty.
void ExpectPlaceOnTheLine(const StatusReport& status, const Lines& source, const Lines& glob) {
  const SourcePlace& place = status.place;
  const std::string context = status.lineCaption + "\n" + status.errCaption;
  ASSERT_GE(place.line, 1) << context;
  if (place.inGlobal) {
    ASSERT_TRUE(StartsWith(status.lineCaption, "GLOBAL: ")) << context;
    ASSERT_EQ(AsGlobalRead(glob[static_cast<std::size_t>(place.line - 1)]),
              status.lineCaption.substr(8))
        << context;
  } else {
    ASSERT_EQ(status.selection.kind, Selection::Kind::Line) << context;
    ASSERT_EQ(place.line, status.selection.row + 1) << context;
  }
  const std::string& line = (place.inGlobal ? glob : source)[place.line - 1];
  ASSERT_GE(place.start, 0) << context;
  ASSERT_GE(place.length, 1) << context;
  ASSERT_LE(static_cast<std::size_t>(place.start + place.length), line.size()) << context;
}

// The kinds of difference from the old placement seen: how many, and an example of each.
using Kinds = std::map<std::string, std::pair<int, std::string>>;

// Checks that the place quotes its text (or is an exception) and notes how the old
// placement differs.
void CheckPlace(const StatusReport& status, const Lines& source, const Lines& glob, Kinds& kinds) {
  const SourcePlace& place = status.place;
  const std::string& line = (place.inGlobal ? glob : source)[place.line - 1];
  const std::string context = line + "\n" + status.errCaption;
  const Quote quote = QuoteOf(status.errCaption);
  ASSERT_GE(quote.message, 0) << context;
  const bool quotes = PlaceQuotes(place, quote, source, glob);
  const std::string exception = quotes ? "" : Exception(place, quote, source, glob);
  EXPECT_TRUE(quotes || !exception.empty())
      << context << "\nplace text: " << TextAt(place, source, glob);

  const SourcePlace old = MessageSearchFault(status, source, glob);
  const std::string kind = DifferenceKind(place, old, quote, exception, source, glob);
  EXPECT_FALSE(kind.empty()) << context << "\nnew " << place.start << "+" << place.length
                             << ", old " << old.start << "+" << old.length;
  auto& [count, example] = kinds[kind + " (" + Message(Language::English, quote.message) + ")"];
  if (count++ == 0) {
    example = line + "  | " + status.errCaption + "  | new " +
              std::string(TextAt(place, source, glob)) + "  | old " +
              std::string(TextAt(old, source, glob));
  }
}

// Generated faulty blocks: every fault lies on the reported line, and the text at its place
// is the text its message quotes. Where the old message search placed it elsewhere, the
// difference is of a kind explained; the kinds seen are printed.
TEST(FaultPlace, PlacesQuoteTheirTextOnGeneratedFaultyBlocks) {
  std::vector<std::string> pieces = DictionaryWords();
  for (const char* bad :
       {"1G2H",     "99999", "-40000", "0012345H", "#'ab'",     "#'",   "r9",  "nowhere",
        "%",        "#",     ",",      ":",        "=",         "p.9",  "p.",  "rw 0",
        "rw 99999", "9x:",   "a b:",   "ds",       "len(m0)=1", "frob", "r1%", "in",
        "the",      "list",  "L1:",    "#L0",      "(r1)%",     "  ",   "#'a'"}) {
    pieces.emplace_back(bad);
  }
  const std::vector<Lines> seeds = SeedBlocks();
  const Lines globs[] = {
      {";Global"}, {"A=1", "b = zz"}, {"c 5"}, {" D = 1g2h", "e=1"}, {"f = -99999"}};
  std::mt19937 random(4141);
  auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  Kinds kinds;
  int faults = 0;
  for (int trial = 0; trial < 20000; ++trial) {
    Lines source = seeds[pick(seeds.size())];
    const Lines& glob = globs[trial % 7 == 0 ? pick(std::size(globs)) : 0];
    if (source.empty()) source.emplace_back();
    for (int edits = 1 + static_cast<int>(pick(2)); edits > 0; --edits) {
      std::string& line = source[pick(source.size())];
      const std::size_t at = pick(line.size() + 1);
      if (pick(3) == 0 && at < line.size()) {
        line.erase(at, 1 + pick(4));
      } else {
        line.insert(at, pieces[pick(pieces.size())]);
      }
    }
    CompileWorkspace workspace;
    const CompileOutcome outcome = CompileSource(workspace, source, glob, English, nullptr);
    if (outcome.succeeded) continue;
    ++faults;
    ExpectPlaceOnTheLine(outcome.status, source, glob);
    if (testing::Test::HasFatalFailure()) return;
    CheckPlace(outcome.status, source, glob, kinds);
  }
  EXPECT_GT(faults, 10000);
  std::ostringstream seen;
  for (const auto& [kind, seenKind] : kinds) {
    seen << "  " << seenKind.first << "  " << kind << "\n      e.g. " << seenKind.second << "\n";
  }
  std::cout << faults << " faults placed; against the old message search:\n" << seen.str();
}

}  // namespace
}  // namespace q41
