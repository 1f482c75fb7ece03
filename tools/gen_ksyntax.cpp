// Writes the syntax definition of Q41 source for the editors built on the KDE frameworks'
// syntax-highlighting engine (Kate, KWrite, KDevelop, Qt Creator), from the instruction
// table, so that a mnemonic added to the table is coloured there too.
//   gen_ksyntax OUTPUT.xml
//
// The windows colour a line by the preprocessor's own reading of it (language/tokens): a line
// the preprocessor or the assembler refuses shows no colour but its comment's, and what a part
// is can depend on the whole line. That engine colours left to right by regular expressions
// switching between contexts, and cannot take a colour back. So the definition decides at the
// first column, with one look ahead over the whole line, whether the line reads; that look
// ahead is the preprocessor's reading written as a grammar of named groups. Only then do the
// contexts colour the parts, each context knowing what of the line lies behind it.
//
// What the reading turns on, and so what the grammar and the contexts follow:
// - the first ";" ends the code, even inside a string or a character constant;
// - a blank is code 32 alone, and only a..z fold; a tab is an ordinary character;
// - runs of blanks fold to one; the blanks beside the first ",", ":", "=" and "%" of a line
//   go (counting those inside the first character constant, which is read before the names
//   are split off but is gone by then);
// - "NAME:" and then "NAME=" split off at the first ":" and "=" outside that constant; a
//   name holds no blank and no comma and starts with neither a digit nor "-";
// - only the first #'c' of a line is a character constant; its code takes its place;
// - a line holding "#" keeps the first blank of each run where the others keep the last,
//   which shows where a part ends on a blank.
// One reading is left out: an RW count written in decimal beyond 4294967295 wraps round in
// the preprocessor and may land back in range; the definition shows such a count as refused.

#include <algorithm>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "assembler/mnemonic.hpp"

namespace q41 {
namespace {

// The four characters whose first place in a line takes the blanks beside it away.
enum Sep : unsigned { CommaSep = 1, ColonSep = 2, EqualsSep = 4, PercentSep = 8 };
constexpr Sep AllSeps[] = {CommaSep, ColonSep, EqualsSep, PercentSep};

char SepChar(Sep s) {
  switch (s) {
    case CommaSep:
      return ',';
    case ColonSep:
      return ':';
    case EqualsSep:
      return '=';
    case PercentSep:
      return '%';
  }
  return '?';
}

// The end of the code: trailing blanks, then the comment or the end of the line.
const std::string End = " *(?:;|$)";
// A character constant as it stands in a line that reads.
const std::string LooseConstant = "#'(?:[^ ;]'| *[,:=%] *'| +')";
// A register operand without its byte mark.
const std::string RegisterName = "(?:[Rr][0-3]|\\([Rr][0-3]\\))";
// A constant's value, as NormalizeNumber takes it: at most four hexadecimal digits after
// leading zeros, or a decimal from -32768 to 32767.
const std::string Number =
    "(?:0*[0-9A-Fa-f]{0,4}[Hh]|-?0*(?:[0-9]{1,4}|[12][0-9]{4}|3[01][0-9]{3}|32[0-6][0-9]{2}"
    "|327[0-5][0-9]|3276[0-7])|-0*32768)";
// An RW count, 1 to 32768; a hexadecimal one counts modulo 2^32, as its digits wrap.
const std::string Count =
    "(?:0*(?:[1-9][0-9]{0,3}|[12][0-9]{4}|3[01][0-9]{3}|32[0-6][0-9]{2}|327[0-5][0-9]"
    "|3276[0-8])|(?:[0-9A-Fa-f]*(?=[0-9A-Fa-f]{8}[Hh]))?0*(?:[1-9A-Fa-f][0-9A-Fa-f]{0,2}"
    "|[1-7][0-9A-Fa-f]{3}|8000)[Hh])";

// A name of the table as the preprocessor matches it: a..z fold, nothing else does.
std::string Folded(std::string_view name) {
  std::string out;
  for (char c : name) {
    if (c >= 'A' && c <= 'Z') {
      out += std::string("[") + c + static_cast<char>(c + 32) + "]";
    } else {
      out += c;
    }
  }
  return out;
}

std::string Alternatives(std::vector<std::string_view> names) {
  // Longest first, so that a name is never cut short by a shorter one it starts with.
  std::sort(names.begin(), names.end(),
            [](std::string_view a, std::string_view b) { return a.size() > b.size(); });
  std::string out = "(?:";
  for (std::size_t k = 0; k < names.size(); ++k) out += (k ? "|" : "") + Folded(names[k]);
  return out + ")";
}

std::string AllMnemonics() {
  std::vector<std::string_view> all;
  for (const auto& m : Mnemonics) all.push_back(m.name);
  return Alternatives(all);
}

// The separators not in `seen`, among `which`, as characters for a class.
std::string Unseen(unsigned seen, unsigned which) {
  std::string out;
  for (Sep s : AllSeps) {
    if ((which & s) && !(seen & s)) out += SepChar(s);
  }
  return out;
}

// Up to the first character constant, "#" is an ordinary character unless "'" follows.
std::string Plain(const std::string& excluded, bool constantRead) {
  if (constantRead) return "[^;" + excluded + "]";
  return "(?:[^;#" + excluded + "]|#(?!'))";
}

// How the first character constant may stand, and what it leaves seen: its character, a
// run of blanks, or a separator with blanks beside it when that is its first in the line.
std::vector<std::pair<std::string, unsigned>> ConstantForms(unsigned seen, bool colonInside) {
  std::vector<std::pair<std::string, unsigned>> forms = {{"#'[^ ;,:=%]'", seen}, {"#' +'", seen}};
  for (Sep s : AllSeps) {
    if (s == ColonSep && !colonInside) continue;
    const std::string c(1, SepChar(s));
    if (seen & s) {
      forms.push_back({"#'" + c + "'", seen});
    } else {
      forms.push_back({"#' *" + c + " *'", seen | s});
    }
  }
  return forms;
}

// A look ahead for a character that is not inside the first character constant.
std::string AheadOutsideConstant(char c, bool constantRead) {
  const std::string cc(1, c);
  if (constantRead) return "[^" + cc + ";]*" + cc;
  return "(?:[^" + cc + ";#]|#(?!'))*+(?:" + LooseConstant + "[^" + cc + ";]*)?" + cc;
}

// Named groups that call each other: a grammar in one regular expression.
class Grammar {
 public:
  // The call of the group for `key`; `body` makes it the first time it is asked for.
  std::string Call(const std::string& key, const std::function<std::string()>& body) {
    auto found = names_.find(key);
    if (found != names_.end()) return "(?&" + found->second + ")";
    const std::string name = "g" + std::to_string(names_.size());
    names_[key] = name;
    const std::string text = body();
    groups_ += "(?<" + name + ">" + text + ")";
    return "(?&" + name + ")";
  }
  std::string Definitions() const { return "(?(DEFINE)" + groups_ + ")"; }

 private:
  std::map<std::string, std::string> names_;
  std::string groups_;
};

std::string Key(const std::string& what, unsigned seen, bool constantRead) {
  return what + "/" + std::to_string(seen) + "/" + (constantRead ? "k" : "-");
}

// Whether a line that is no string directive reads: the preprocessor finds no fault, a
// constant's value is a number, and the statement's first word is in the table.
class LineGrammar {
 public:
  explicit LineGrammar(std::string mnemonics) : mnemonics_(std::move(mnemonics)) {}

  std::string Line() {
    const std::string line = " *(?(?=" + AheadOutsideConstant(':', false) + ")(?![-0-9])" +
                             Label(0, false) + "|" + Body(0, false) + ")";
    return line;
  }
  std::string Definitions() const { return g_.Definitions(); }

 private:
  // The label's name, to its ":": no blank but those the separators take, no comma.
  std::string Label(unsigned seen, bool k) {
    return g_.Call(Key("label", seen, k), [=, this] {
      const std::string excluded = " :," + Unseen(seen, EqualsSep | PercentSep);
      std::string alts;
      for (Sep s : {EqualsSep, PercentSep}) {
        if (!(seen & s)) alts += "| *" + std::string(1, SepChar(s)) + " *+" + Label(seen | s, k);
      }
      if (!k) {
        for (const auto& [form, next] : ConstantForms(seen, true))
          alts += "|" + form + Label(next, true);
      }
      if (seen & ColonSep) {
        alts += "|:" + AfterLabel(seen, k, false);
      } else {
        alts += "| *: *+" + AfterLabel(seen | ColonSep, k, true);
      }
      return Plain(excluded, k) + "*+(?:" + alts.substr(1) + ")";
    });
  }

  // After the label's ":": the blanks there went only if it was the line's first ":".
  std::string AfterLabel(unsigned seen, bool k, bool blanksWent) {
    if (blanksWent) return Body(seen, k);
    // With blanks that stay, only one more label reads, and no constant may split off.
    return "(?:" + End + "|(?! )" + Body(seen, k) + "| +(?!" + AheadOutsideConstant('=', k) + ")" +
           ToColon(seen, k) + ")";
  }

  std::string Body(unsigned seen, bool k) {
    return g_.Call(Key("body", seen, k), [=, this] {
      return "(?(?=" + AheadOutsideConstant('=', k) + ")(?![-0-9])" + Constant(seen, k) + "|" +
             Statement(seen, k) + ")";
    });
  }

  // A constant's name, to its "=", and its value.
  std::string Constant(unsigned seen, bool k) {
    return g_.Call(Key("constant", seen, k), [=, this] {
      const std::string excluded = " ,=" + Unseen(seen, PercentSep);
      std::string alts;
      if (!(seen & PercentSep)) alts += "| *% *+" + Constant(seen | PercentSep, k);
      if (!k) {
        for (const auto& [form, next] : ConstantForms(seen, true)) {
          alts += "|" + form + Constant(next, true);
        }
      }
      alts += (seen & EqualsSep) ? "|=" : "| *= *+";
      alts += "(?:" + Number + ")?" + End;
      return Plain(excluded, k) + "*+(?:" + alts.substr(1) + ")";
    });
  }

  // An empty statement, RW and its count, a mnemonic and whatever follows it (the blank
  // after a mnemonic must stay, or the word would run on), or after a label anything that
  // ends in ":", which reads as one more label.
  std::string Statement(unsigned seen, bool k) {
    return g_.Call(Key("statement", seen, k), [=, this] {
      const std::string unseen = Unseen(seen, CommaSep | PercentSep);
      const std::string stays = unseen.empty() ? "" : "(?![" + unseen + "])";
      return "(?:" + End + "|[Rr][Ww] ++" + Count + End + "|" + mnemonics_ + "(?:" + End + "| ++" +
             stays + Operands(seen, k) + ")|(?![Rr][Ww] ++" + stays + ")" + ToColon(seen, k) + ")";
    });
  }

  // To a ":" that ends the code, with a well-formed character constant on the way.
  std::string ToColon(unsigned seen, bool k) {
    const std::string last = ":" + End;
    if (k) return "[^;]*" + last;
    return g_.Call(Key("to colon", seen, k), [=, this] {
      const std::string unseen = Unseen(seen, CommaSep | PercentSep);
      std::string alts;
      for (char c : unseen) {
        alts += "|" + std::string(1, c) + ToColon(seen | (c == ',' ? CommaSep : PercentSep), false);
      }
      for (const auto& [form, next] : ConstantForms(seen, true))
        alts += "|" + form + ToColon(next, true);
      return "(?:[^;#:" + unseen + "]|#(?!')|:(?!" + End + "))*+(?:" + alts.substr(1) + "|" + last +
             ")";
    });
  }

  // Operands need only a well-formed character constant.
  std::string Operands(unsigned seen, bool k) {
    if (k) return "[^;]*(?:;|$)";
    return g_.Call(Key("operands", seen, k), [=, this] {
      const std::string unseen = Unseen(seen, CommaSep | PercentSep);
      std::string alts;
      for (char c : unseen) {
        const Sep s = c == ',' ? CommaSep : PercentSep;
        alts += "|" + std::string(1, c) + Operands(seen | s, false);
      }
      for (const auto& [form, next] : ConstantForms(seen, true))
        alts += "|" + form + Operands(next, true);
      return Plain(unseen, false) + "*+(?:" + alts.substr(1) + "|(?:;|$))";
    });
  }

  std::string mnemonics_;
  Grammar g_;
};

// Whether a string directive's line reads: its label makes the constant "LEN(label)=n",
// which must read as a name and a value.
class StringGrammar {
 public:
  // Everything before the first ":" is the label, which may be absent or empty.
  std::string Label() { return "(?:(?![^:;]*:)|:|(?: +(?=[%=]))?" + Name(0, false) + ")"; }
  std::string Definitions() const { return g_.Definitions(); }

 private:
  // Up to the label's first "=" (outside the character constant), the constant's name.
  std::string Name(unsigned seen, bool k) {
    return g_.Call(Key("name", seen, k), [=, this] {
      const std::string excluded = " :,=" + Unseen(seen, PercentSep);
      std::string alts;
      if (!(seen & PercentSep)) alts += "| *% *+" + Name(seen | PercentSep, k);
      if (!k) {
        for (const auto& [form, next] : ConstantForms(seen, false))
          alts += "|" + form + Name(next, true);
      }
      alts += "|:";
      alts += (seen & EqualsSep) ? "|=" + Rest(seen, k) : "| *= *+" + Rest(seen | EqualsSep, k);
      return Plain(excluded, k) + "*+(?:" + alts.substr(1) + ")";
    });
  }

  // What follows the name must not start with "RW " and a blank that stays, which the
  // preprocessor would take for reserved words.
  std::string Rest(unsigned seen, bool k) {
    const std::string unseen = Unseen(seen, CommaSep | PercentSep);
    const std::string soft = unseen.empty() ? "" : "(?![" + unseen + "])";
    return "(?![Rr][Ww] ++" + soft + ")" + Walk(seen, k);
  }

  std::string Walk(unsigned seen, bool k) {
    if (k) return "[^:;]*:";
    return g_.Call(Key("walk", seen, k), [=, this] {
      const std::string unseen = Unseen(seen, CommaSep | PercentSep);
      std::string alts;
      for (char c : unseen) {
        alts += "|" + std::string(1, c) + Walk(seen | (c == ',' ? CommaSep : PercentSep), false);
      }
      for (const auto& [form, next] : ConstantForms(seen, false))
        alts += "|" + form + Walk(next, true);
      return Plain(":" + unseen, false) + "*+(?:" + alts.substr(1) + "|:)";
    });
  }

  Grammar g_;
};

// What the contexts know of the line behind them.
struct State {
  bool hash = false;     // the line holds "#": blanks keep the first column of their run
  bool percent = false;  // a "%" was passed
  bool comma = false;    // a "," was passed
  bool colon = false;    // a ":" was passed (inside the character constant, before a label's)
  bool constantRead = false;
  std::string Name() const {
    return std::string(hash ? " #" : "") + (percent ? " %" : "") + (comma ? " ," : "") +
           (colon ? " :" : "") + (constantRead ? " k" : "");
  }
  State With(bool State::*flag) const {
    State s = *this;
    s.*flag = true;
    return s;
  }
};

struct Rule {
  std::string type;  // RegExpr or DetectChar
  std::string pattern;
  std::string attribute;
  std::string context;
  bool lookAhead = false;
  bool firstColumn = false;
};

const std::string NormalText = "Normal Text";
const std::string MnemonicKind = "Mnemonic";
const std::string RegisterKind = "Register";
const std::string NumberKind = "Number";
const std::string TextKind = "Text";
const std::string LabelDefinitionKind = "Label Definition";
const std::string LabelUseKind = "Label Use";
const std::string ConstantDefinitionKind = "Constant Definition";
const std::string ReservedWordsKind = "Reserved Words";
const std::string CommentKind = "Comment";

std::string Xml(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// How an operand ends: at the end of the code, or at the comma between two operands.
enum class Term { End, Comma };

class Definition {
 public:
  Definition() : lineGrammar_(AllMnemonics()) {}

  std::string Write() {
    const std::string line = lineGrammar_.Line();
    const std::string lineDefs = lineGrammar_.Definitions();
    const std::string label = stringGrammar_.Label();
    const std::string shape = "(?:[^:;]*:|(?![^:;]*:)) *[Dd][Ss][^;]";
    std::vector<Rule> root = {
        {"RegExpr", "^" + stringGrammar_.Definitions() + "(?=" + shape + ")(?=" + label + ")[^;]",
         NormalText, StringStart(), true, true},
        {"RegExpr", "^(?=" + shape + ")[^;]", NormalText, Rest(), true, true},
        {"RegExpr", "^" + lineDefs + "(?=[^;]*#)(?=" + line + ")[^;]", NormalText,
         Start(State{.hash = true}, false), true, true},
        {"RegExpr", "^" + lineDefs + "(?=" + line + ")[^;]", NormalText, Start(State{}, false),
         true, true},
        {"DetectChar", ";", CommentKind, Comment(), false, false},
    };
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE language>\n"
        "<!-- Made by gen_ksyntax from the Q41 assembler's instruction table; do not edit. -->\n"
        "<language name=\"Q41 Assembler\" section=\"Assembler\" version=\"1\" "
        "kateversion=\"5.0\" extensions=\"*.asm;*.q41\" mimetype=\"\" license=\"MIT\">\n"
        "<highlighting>\n<contexts>\n";
    xml += ContextXml("Line", NormalText, "#stay", root);
    for (const std::string& name : order_) xml += contexts_[name];
    xml += "</contexts>\n<itemDatas>\n";
    const std::vector<std::pair<std::string, std::string>> items = {
        {NormalText, "dsNormal"},
        {MnemonicKind, "dsKeyword"},
        {RegisterKind, "dsVariable"},
        {NumberKind, "dsDecVal"},
        {TextKind, "dsString"},
        {LabelDefinitionKind, "dsFunction"},
        {LabelUseKind, "dsOthers"},
        {ConstantDefinitionKind, "dsConstant"},
        {ReservedWordsKind, "dsPreprocessor"},
        {CommentKind, "dsComment"},
    };
    for (const auto& [name, style] : items) {
      xml += "<itemData name=\"" + name + "\" defStyleNum=\"" + style + "\" spellChecking=\"" +
             (name == CommentKind || name == TextKind ? "true" : "false") + "\"/>\n";
    }
    xml +=
        "</itemDatas>\n</highlighting>\n<general>\n<comments>\n"
        "<comment name=\"singleLine\" start=\";\"/>\n</comments>\n"
        "<keywords casesensitive=\"1\"/>\n</general>\n</language>\n";
    return xml;
  }

 private:
  static std::string ContextXml(const std::string& name, const std::string& attribute,
                                const std::string& lineEnd, const std::vector<Rule>& rules,
                                const std::string& fallthrough = "") {
    std::string xml = "<context name=\"" + Xml(name) + "\" attribute=\"" + attribute +
                      "\" lineEndContext=\"" + lineEnd + "\"";
    if (!fallthrough.empty()) xml += " fallthroughContext=\"" + Xml(fallthrough) + "\"";
    xml += ">\n";
    for (const Rule& r : rules) {
      xml += "  <" + r.type + (r.type == "DetectChar" ? " char=\"" : " String=\"") +
             Xml(r.pattern) + "\" attribute=\"" + r.attribute + "\" context=\"" + Xml(r.context) +
             "\"";
      if (r.lookAhead) xml += " lookAhead=\"true\"";
      if (r.firstColumn) xml += " column=\"0\"";
      xml += "/>\n";
    }
    return xml + "</context>\n";
  }

  // The name of the context `name`, made by `rules` the first time it is asked for. Every
  // context but the first is reached by switching from another at the same depth.
  std::string Context(const std::string& name, const std::string& attribute,
                      const std::function<std::vector<Rule>()>& rules) {
    if (contexts_.count(name) == 0) {
      contexts_[name] = "";
      std::vector<Rule> made = rules();
      // Whatever a line holds after its code is its comment.
      made.push_back({"DetectChar", ";", CommentKind, "#pop!" + Comment()});
      contexts_[name] = ContextXml(name, attribute, "#pop", made);
      order_.push_back(name);
    }
    return name;
  }
  static std::string Switch(const std::string& name) { return "#pop!" + name; }

  std::string Comment() {
    if (contexts_.count("Comment") == 0) {
      contexts_["Comment"] = ContextXml("Comment", CommentKind, "#pop", {});
      order_.push_back("Comment");
    }
    return "Comment";
  }

  // The rest of a line that reads no further, or does not read at all.
  std::string Rest() {
    return Context("Rest", NormalText, [] { return std::vector<Rule>{}; });
  }

  // The string directive: its label from the first column, "DS", one blank that only
  // separates, and the string to the comment.
  std::string StringStart() {
    return Context("String", NormalText, [this] {
      const std::string text = Context("String Text", NormalText, [this] {
        return std::vector<Rule>{{"RegExpr", "[^;]*[^ ;]", TextKind, Switch(Rest())},
                                 {"RegExpr", " +", NormalText, Switch(Rest())}};
      });
      const std::string afterDs = Context("String After DS", NormalText, [&] {
        return std::vector<Rule>{{"DetectChar", " ", NormalText, Switch(text)},
                                 {"RegExpr", "[^;]", NormalText, Switch(text), true}};
      });
      return std::vector<Rule>{{"RegExpr", "[^:;]+:", LabelDefinitionKind, "#stay", false, true},
                               {"RegExpr", "[ :]+", NormalText, "#stay"},
                               {"RegExpr", "[Dd][Ss]", MnemonicKind, Switch(afterDs)}};
    });
  }

  // The start of a line that reads, or what follows its label.
  // After a label whose ":" was not the line's first, the blanks after it stay.
  std::string Start(const State& s, bool afterLabel, bool blanksStay = false) {
    const std::string name = std::string(afterLabel ? "After Label" : "Start") +
                             (blanksStay ? " blanks" : "") + s.Name();
    return Context(name, NormalText, [=, this] {
      std::vector<Rule> rules;
      // What ends in ":" after a label is one more label, whatever it holds.
      const Rule more = {"RegExpr", "[^;]*:(?=" + End + ")", LabelDefinitionKind, Switch(Rest())};
      if (blanksStay) rules.push_back(more);
      rules.push_back({"RegExpr", " +", NormalText, "#stay"});
      if (afterLabel && !blanksStay) rules.push_back(more);
      if (!afterLabel) {
        rules.push_back({"RegExpr", AheadOutsideConstant(':', s.constantRead), NormalText,
                         Switch(NameBody(LabelDefinitionKind, ':', s)), true});
      }
      rules.push_back({"RegExpr", AheadOutsideConstant('=', s.constantRead), NormalText,
                       Switch(NameBody(ConstantDefinitionKind, '=', s)), true});
      rules.push_back({"RegExpr", "[Rr][Ww](?= )", ReservedWordsKind, Switch(Value("Count"))});
      std::map<int, std::vector<std::string_view>> byForm;
      for (const auto& m : Mnemonics) byForm[static_cast<int>(m.form)].push_back(m.name);
      for (const auto& [form, names] : byForm) {
        rules.push_back({"RegExpr", Alternatives(names) + "(?= |;|$)", MnemonicKind,
                         Switch(Operands(static_cast<OperandForm>(form), s))});
      }
      return rules;
    });
  }

  // A label's or a constant's name, to its ":" or "=" outside the character constant.
  std::string NameBody(const std::string& kind, char term, const State& s) {
    const std::string name = kind + s.Name();
    return Context(name, NormalText, [=, this] {
      std::vector<Rule> rules;
      AddConstantRules(rules, kind, s,
                       [=, this](const State& next) { return NameBody(kind, term, next); });
      const std::string next =
          term == ':' ? Start(s.With(&State::colon), true, s.colon) : Value("Value");
      rules.push_back({"DetectChar", std::string(1, term), kind, Switch(next)});
      rules.push_back(
          {"DetectChar", "%", kind, Switch(NameBody(kind, term, s.With(&State::percent)))});
      const bool hashSpecial = s.hash && !s.constantRead;
      rules.push_back(
          {"RegExpr", std::string("[^;%") + term + (hashSpecial ? "#" : "") + "]+", kind, "#stay"});
      if (hashSpecial) rules.push_back({"RegExpr", "#(?!')", kind, "#stay"});
      return rules;
    });
  }

  // The first character constant as one piece, and what it leaves seen.
  void AddConstantRules(std::vector<Rule>& rules, const std::string& kind, const State& s,
                        const std::function<std::string(const State&)>& next) {
    if (!s.hash || s.constantRead) return;
    const State read = s.With(&State::constantRead);
    rules.push_back({"RegExpr", "#' *% *'", kind, Switch(next(read.With(&State::percent)))});
    rules.push_back({"RegExpr", "#' *, *'", kind, Switch(next(read.With(&State::comma)))});
    rules.push_back({"RegExpr", "#' *: *'", kind, Switch(next(read.With(&State::colon)))});
    rules.push_back({"RegExpr", "#'(?:[^ ;,%:]'| *= *'| +')", kind, Switch(next(read))});
  }

  // A constant's value or an RW count: one number.
  std::string Value(const std::string& name) {
    return Context(name, NormalText, [this] {
      return std::vector<Rule>{{"RegExpr", " +", NormalText, "#stay"},
                               {"RegExpr", "[^ ;]+", NumberKind, Switch(Rest())}};
    });
  }

  // After the mnemonic: the operands as its form reads them.
  std::string Operands(OperandForm form, const State& s) {
    if (form == OperandForm::None) return Rest();
    const bool two = form == OperandForm::SourceDestination ||
                     form == OperandForm::PortDestination || form == OperandForm::SourcePort;
    const std::string name = std::string(two ? "Operands " : "Operand") +
                             (form == OperandForm::PortDestination ? "in"
                              : form == OperandForm::SourcePort    ? "out"
                                                                   : "") +
                             s.Name();
    return Context(name, NormalText, [=, this] {
      std::vector<Rule> rules = {{"RegExpr", " +", NormalText, "#stay"}};
      if (two) {
        const bool in = form == OperandForm::PortDestination;
        const bool out = form == OperandForm::SourcePort;
        rules.push_back({"RegExpr", "(?=" + AheadOutsideConstant(',', s.constantRead) + ")[^ ;]",
                         NormalText, Switch(OperandStart(Term::Comma, in, out, s)), true});
      }
      rules.push_back(
          {"RegExpr", "[^ ;]", NormalText, Switch(OperandStart(Term::End, false, false, s)), true});
      return rules;
    });
  }

  // What follows an operand's last character (not its blanks).
  static std::string After(Term term, const State& s) {
    if (term == Term::End) return End;
    // A comma that is not the line's first keeps the blank before it in the operand.
    return s.comma ? "," : " *,";
  }

  // Where an operand ends, and the comma after the first of two.
  std::string AfterOperand(Term term, bool port2, const State& s) {
    if (term == Term::End) return Rest();
    return Context(std::string("Comma") + (port2 ? " out" : "") + s.Name(), NormalText, [=, this] {
      return std::vector<Rule>{{"RegExpr", " +", NormalText, "#stay"},
                               {"DetectChar", ",", NormalText,
                                Switch(SecondOperand(port2, s.comma, s.With(&State::comma)))}};
    });
  }

  // After the comma: when it was not the line's first, its blanks stay and open the operand.
  std::string SecondOperand(bool port, bool blanksStay, const State& s) {
    const std::string name =
        std::string("Second") + (port ? " out" : "") + (blanksStay ? " blanks" : "") + s.Name();
    return Context(name, NormalText, [=, this] {
      std::vector<Rule> rules;
      if (blanksStay) {
        rules.push_back({"RegExpr", " +(?=;|$)", NormalText, Switch(Rest())});
        if (!s.percent) rules.push_back({"RegExpr", " +(?=%)", NormalText, "#stay"});
        rules.push_back({"DetectChar", " ", NormalText,
                         Switch(port ? Span(NumberKind, false, Term::End, false, s)
                                     : Span(LabelUseKind, true, Term::End, false, s)),
                         true});
      } else {
        rules.push_back({"RegExpr", " +", NormalText, "#stay"});
      }
      rules.push_back(
          {"RegExpr", "[^ ;]", NormalText, Switch(OperandStart(Term::End, port, false, s)), true});
      return rules;
    });
  }

  // An operand's first character tells what it is.
  std::string OperandStart(Term term, bool port, bool port2, const State& s) {
    const std::string name = std::string("Operand ") + (term == Term::End ? "last" : "first") +
                             (port ? " port" : "") + (port2 ? " out" : "") + s.Name();
    return Context(name, NormalText, [=, this] {
      const std::string after = After(term, s);
      std::vector<Rule> rules;
      auto span = [&](const std::string& kind, bool body) {
        return Switch(Span(kind, body, term, port2, s));
      };
      if (port) {
        rules.push_back({"RegExpr", "[^;]", NormalText, span(NumberKind, false), true});
        return rules;
      }
      const std::string gap = s.percent ? "" : " *";
      const std::string afterMark = s.percent || term == Term::End ? after : " *,";
      rules.push_back({"RegExpr", RegisterName + gap + "%(?=" + afterMark + ")", RegisterKind,
                       Switch(AfterOperand(term, port2, s.With(&State::percent)))});
      rules.push_back({"RegExpr", RegisterName + "(?=" + after + ")", RegisterKind,
                       Switch(AfterOperand(term, port2, s))});
      if (s.hash) {
        rules.push_back({"RegExpr", "#'", NormalText,
                         span(s.constantRead ? NormalText : TextKind, false), true});
        rules.push_back({"RegExpr", "#(?=[-0-9])", NormalText, span(NumberKind, false), true});
        rules.push_back(
            {"RegExpr", "#(?=" + after + ")", NormalText, Switch(AfterOperand(term, port2, s))});
        // The name after "#" starts past blanks that a first "," or "%" takes away.
        const std::string takers =
            (s.comma || term == Term::Comma ? "" : std::string(",")) + (s.percent ? "" : "%");
        if (!takers.empty()) {
          rules.push_back(
              {"RegExpr", "# +(?=[" + takers + "])", NormalText, span(LabelUseKind, true)});
        }
        rules.push_back({"DetectChar", "#", NormalText, span(LabelUseKind, true)});
      }
      rules.push_back({"RegExpr", "[-0-9]", NormalText, span(NumberKind, false), true});
      rules.push_back({"RegExpr", "[^;]", NormalText, span(LabelUseKind, true), true});
      return rules;
    });
  }

  // The characters of one operand in one colour: the whole operand, or (for a name) the
  // operand without its byte mark.
  std::string Span(const std::string& kind, bool body, Term term, bool port2, const State& s) {
    const std::string name = "Span " + kind + (body ? " body" : "") +
                             (term == Term::End ? " last" : " first") + (port2 ? " out" : "") +
                             s.Name();
    return Context(name, NormalText, [=, this] {
      const std::string after = After(term, s);
      std::vector<Rule> rules;
      if (term == Term::End) {
        rules.push_back({"RegExpr", " +(?=;|$)", NormalText, Switch(Rest())});
        rules.push_back({"DetectChar", ";", NormalText, Switch(Rest()), true});
      } else {
        if (s.comma && s.hash) rules.push_back({"RegExpr", "(?<! ) (?= *,)", kind, "#stay"});
        rules.push_back({"RegExpr", " *,", NormalText, Switch(AfterOperand(term, port2, s)), true});
      }
      // A final "%" that is the line's first takes the blanks after it too.
      const std::string finalMark =
          "%(?=" + (s.percent || term == Term::End ? after : std::string(" *,")) + ")";
      const State marked = s.With(&State::percent);
      if (body) {
        rules.push_back({"RegExpr", finalMark, NormalText,
                         Switch(s.percent ? Span(kind, body, term, port2, marked)
                                          : AfterFirstSeparator(kind, body, term, port2, marked))});
        // The blanks before the final "%": gone if it is the line's first, else the name's.
        if (!s.percent) {
          rules.push_back({"RegExpr", " +(?=" + finalMark + ")", NormalText, "#stay"});
        } else if (!s.hash) {
          rules.push_back({"RegExpr", " +(?=" + finalMark + ")", kind, "#stay"});
        } else {
          rules.push_back({"RegExpr", "(?<= ) +(?=" + finalMark + ")", NormalText, "#stay"});
          rules.push_back({"RegExpr", " (?= *" + finalMark + ")", kind, "#stay"});
        }
      }
      if (s.hash && !s.constantRead) {
        // A tab's code has one digit, which stands for the opening quote alone.
        std::string ends = "(?=" + after + ")";
        if (body) ends = "(?:" + ends + "|" + (s.percent ? "" : " *") + finalMark + ")";
        const State read = s.With(&State::constantRead);
        const std::string tail = Context("Tab Constant " + name, NormalText, [=, this] {
          return std::vector<Rule>{
              {"RegExpr", "\\t'", NormalText, Switch(Span(kind, body, term, port2, read))}};
        });
        rules.push_back({"RegExpr", "#'(?=\\t'" + ends + ")", kind, Switch(tail)});
      }
      AddConstantRules(rules, kind, s, [=, this](const State& next) {
        return Span(kind, body, term, port2, next);
      });
      rules.push_back({"DetectChar", "%", kind,
                       Switch(s.percent ? Span(kind, body, term, port2, marked)
                                        : AfterFirstSeparator(kind, body, term, port2, marked))});
      if (term == Term::End) {
        const State comma = s.With(&State::comma);
        rules.push_back({"DetectChar", ",", kind,
                         Switch(s.comma ? Span(kind, body, term, port2, comma)
                                        : AfterFirstSeparator(kind, body, term, port2, comma))});
      }
      const bool hashSpecial = s.hash && !s.constantRead;
      rules.push_back(
          {"RegExpr", std::string("[^ ;%,") + (hashSpecial ? "#" : "") + "]+", kind, "#stay"});
      if (hashSpecial) rules.push_back({"RegExpr", "#(?!')", kind, "#stay"});
      rules.push_back({"RegExpr", " +", kind, "#stay"});
      return rules;
    });
  }

  // Right after the line's first "%" or ",", in the middle of an operand: blanks there go, so
  // they neither end the operand on a blank nor stand before its final "%".
  std::string AfterFirstSeparator(const std::string& kind, bool body, Term term, bool port2,
                                  const State& s) {
    const std::string span = Span(kind, body, term, port2, s);
    const std::string name = "After First Separator " + span;
    if (contexts_.count(name) == 0) {
      std::vector<Rule> rules;
      if (term == Term::Comma) rules.push_back({"RegExpr", " +(?=,)", NormalText, "#stay"});
      if (body)
        rules.push_back({"RegExpr", " +(?=%(?=" + After(term, s) + "))", NormalText, "#stay"});
      contexts_[name] = ContextXml(name, NormalText, "#pop", rules, Switch(span));
      order_.push_back(name);
    }
    return name;
  }

  LineGrammar lineGrammar_;
  StringGrammar stringGrammar_;
  std::map<std::string, std::string> contexts_;
  std::vector<std::string> order_;
};

}  // namespace
}  // namespace q41

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: gen_ksyntax OUTPUT.xml\n";
    return 2;
  }
  const std::string xml = q41::Definition().Write();
  std::ofstream out(argv[1], std::ios::binary);
  out << xml;
  out.close();
  if (!out) {
    std::cerr << "gen_ksyntax: cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}
