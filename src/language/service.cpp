#include "language/service.hpp"

#include <algorithm>
#include <unordered_map>

#include "blocks/compile.hpp"
#include "preprocessor/preproc.hpp"

namespace q41 {
namespace {

std::string Upper(std::string_view text) {
  std::string out(text);
  return MakeUpper(out);
}

// A GLOBAL line as the label table reads it: every blank left out, a..z upper-cased.
std::string AsGlobalRead(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c != Blank) out += UpperAscii(c);
  }
  return out;
}

// The bytes of `text` between its first and last non-blank, from `from` to `to`.
SourcePlace TrimmedPlace(std::string_view text, std::size_t from, std::size_t to) {
  while (from < to && text[from] == Blank) ++from;
  while (to > from && text[to - 1] == Blank) --to;
  return {false, 0, static_cast<int>(from), static_cast<int>(to - from)};
}

class NameCollector {
 public:
  explicit NameCollector(std::vector<NameFacts>& names) : names_(names) {}

  NameFacts& Named(const std::string& name) {
    const auto [it, added] = index_.try_emplace(name, names_.size());
    if (added) {
      names_.emplace_back();
      names_.back().name = name;
    }
    return names_[it->second];
  }

  void Define(const std::string& name, SyntaxKind kind, const SourcePlace& place) {
    NameFacts& facts = Named(name);
    if (facts.defined) return;  // the assembler refuses a second definition
    facts.defined = true;
    facts.kind = kind;
    facts.definition = place;
  }

  // GLOBAL lines define "NAME=VALUE", read with every blank left out.
  void ReadGlobal(const Lines& glob) {
    for (std::size_t k = 0; k < glob.size(); ++k) {
      const std::string& line = glob[k];
      const std::size_t first = line.find_first_not_of(Blank);
      const std::size_t equals = line.find('=');
      if (first == std::string::npos || line[first] == ';' || equals == std::string::npos) {
        continue;
      }
      const std::string name = AsGlobalRead(std::string_view(line).substr(0, equals));
      SourcePlace place = TrimmedPlace(line, 0, equals);
      place.inGlobal = true;
      place.line = static_cast<std::int32_t>(k + 1);
      Define(name, SyntaxKind::ConstantDefinition, place);
    }
  }

  void ReadLine(std::string_view line, std::int32_t lineNo) {
    const std::vector<SyntaxSpan> spans = LineTokens(line);
    for (const SyntaxSpan& span : spans) {
      if (span.kind != SyntaxKind::LabelDefinition && span.kind != SyntaxKind::LabelUse &&
          span.kind != SyntaxKind::ConstantDefinition) {
        continue;
      }
      // A use is the operand as written; a definition loses its ":" or "=" and the blanks
      // before it, as the preprocessor leaves them out.
      std::string name = Upper(
          line.substr(static_cast<std::size_t>(span.start), static_cast<std::size_t>(span.length)));
      if (span.kind != SyntaxKind::LabelUse) {
        name.pop_back();
        while (!name.empty() && name.back() == Blank) name.pop_back();
      }
      // A definition's place is its name alone, as a use's is.
      const int length =
          span.kind == SyntaxKind::LabelUse ? span.length : static_cast<int>(name.size());
      const SourcePlace place{false, lineNo, span.start, length};
      if (span.kind == SyntaxKind::LabelUse) {
        Named(name).uses.push_back(place);
        NoteLengthUse(line, name, place);
      } else {
        Define(name, span.kind, place);
      }
    }
    DefineLength(line, spans, lineNo);
  }

  // Ties each use of "LEN(X)" to X, once every line is read: only a string's label has a
  // length constant the directive makes.
  void LinkLengths() {
    for (const auto& [label, place] : lengthUses_) {
      const auto it = index_.find("LEN(" + label + ")");
      if (it == index_.end() || names_[it->second].lengthOf != label) continue;
      names_[index_.at(label)].inLengths.push_back(place);
    }
  }

 private:
  // A string's label defines its length constant LEN(LABEL) at the directive.
  void DefineLength(std::string_view line, const std::vector<SyntaxSpan>& spans,
                    std::int32_t lineNo) {
    if (spans.size() < 2 || spans[0].kind != SyntaxKind::LabelDefinition ||
        spans[1].kind != SyntaxKind::Mnemonic || spans[1].length != 2 ||
        Upper(line.substr(static_cast<std::size_t>(spans[1].start), 2)) != "DS") {
      return;
    }
    std::string label = Upper(line.substr(static_cast<std::size_t>(spans[0].start),
                                          static_cast<std::size_t>(spans[0].length)));
    label.pop_back();
    while (!label.empty() && label.back() == Blank) label.pop_back();
    const std::string length = "LEN(" + label + ")";
    if (index_.count(length) != 0 && names_[index_.at(length)].defined) return;
    Define(length, SyntaxKind::ConstantDefinition, {false, lineNo, spans[1].start, 2});
    Named(length).lengthOf = label;
  }

  // The name inside a use written "LEN(X)", blanks around it left out.
  void NoteLengthUse(std::string_view line, const std::string& name, const SourcePlace& use) {
    if (name.size() < 6 || name.compare(0, 4, "LEN(") != 0 || name.back() != ')') return;
    const std::string_view text =
        line.substr(static_cast<std::size_t>(use.start), static_cast<std::size_t>(use.length));
    const std::size_t open = text.find('(');
    const std::size_t close = text.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close <= open) return;
    SourcePlace inner = TrimmedPlace(text, open + 1, close);
    inner.start += use.start;
    inner.line = use.line;
    if (inner.length == 0) return;
    lengthUses_.emplace_back(name.substr(4, name.size() - 5), inner);
  }

  std::vector<NameFacts>& names_;
  std::unordered_map<std::string, std::size_t> index_;
  std::vector<std::pair<std::string, SourcePlace>> lengthUses_;
};

class WarningCollector : public AssemblerWarnings {
 public:
  WarningCollector(SourceText source, std::vector<BlockWarning>& out)
      : source_(source), out_(out) {}
  void Warning(const std::string& text) override { WarningAt(text, 0); }
  void WarningAt(const std::string& text, std::int32_t line) override {
    if (line < 1 || static_cast<std::size_t>(line) > source_.size()) line = LastCodeLine();
    BlockWarning warning{{}, text};
    if (line > 0) {
      const std::string_view code = source_[static_cast<std::size_t>(line - 1)];
      warning.place = TrimmedPlace(code, 0, ReadSourceLine(code, Language::English).codeEnd);
      warning.place.line = line;
    }
    out_.push_back(std::move(warning));
  }

 private:
  std::int32_t LastCodeLine() const {
    for (std::size_t k = source_.size(); k > 0; --k) {
      const std::string_view line = source_[k - 1];
      const std::size_t end = ReadSourceLine(line, Language::English).codeEnd;
      if (line.substr(0, end).find_first_not_of(Blank) != std::string_view::npos) {
        return static_cast<std::int32_t>(k);
      }
    }
    return 0;
  }

  SourceText source_;
  std::vector<BlockWarning>& out_;
};

}  // namespace

BlockFacts ReadBlock(SourceText source, const Lines& glob, const AssemblerOptions& options) {
  BlockFacts facts;
  CompileWorkspace workspace;
  WarningCollector warnings(source, facts.warnings);
  CompileOutcome outcome = CompileSource(workspace, source, glob, options, &warnings);
  facts.compiled = outcome.succeeded;
  if (!outcome.succeeded) {
    facts.fault =
        BlockFault{outcome.status.place, outcome.status.lineCaption, outcome.status.errCaption};
  }

  NameCollector collector(facts.names);
  collector.ReadGlobal(glob);
  for (std::size_t k = 0; k < source.size(); ++k) {
    collector.ReadLine(source[k], static_cast<std::int32_t>(k + 1));
  }
  collector.LinkLengths();
  const LabelTable& labels = workspace.labels;
  for (int r = 1; r <= labels.LabelCount(); ++r) {
    const LabelRow& row = labels.Row(r);
    collector.Named(row.name).value = std::string(row.Value());
  }

  facts.listing = ListingRows(source.size(), outcome.code.size(), outcome.wordSourceLine);
  facts.code = std::move(outcome.code);
  facts.wordSourceLine = std::move(outcome.wordSourceLine);
  return facts;
}

}  // namespace q41
