#include "ksyntax/line_reading.hpp"

#include <algorithm>
#include <functional>
#include <map>

#include "assembler/mnemonic.hpp"

namespace q41::ksyntax {

// The end of the code: trailing blanks, then the comment or the end of the line.
const std::string End = " *(?:;|$)";
// A character constant as it stands in a line that reads.
const std::string LooseConstant = "#'(?:[^ ;]'| *[,:=%] *'| +')";
// A register operand without its byte mark.
const std::string RegisterName = "(?:[Rr][0-3]|\\([Rr][0-3]\\))";
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

}  // namespace

std::string Alternatives(std::vector<std::string_view> names) {
  // Longest first, so that a name is never cut short by a shorter one it starts with.
  std::sort(names.begin(), names.end(),
            [](std::string_view a, std::string_view b) { return a.size() > b.size(); });
  std::string out = "(?:";
  for (std::size_t k = 0; k < names.size(); ++k) {
    if (k) out += '|';
    out += Folded(names[k]);
  }
  return out + ")";
}

std::string AheadOutsideConstant(char c, bool constantRead) {
  const std::string cc(1, c);
  if (constantRead) return "[^" + cc + ";]*" + cc;
  return "(?:[^" + cc + ";#]|#(?!'))*+(?:" + LooseConstant + "[^" + cc + ";]*)?" + cc;
}

namespace {

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

// One more alternative: the separator `c`, then `rest`. Appended in place, as a literal put
// before a temporary string gets it copied into the temporary's own front, which GCC 12 at -O3
// takes for overlapping copies.
std::string Branch(char c, const std::string& rest) {
  std::string out = {'|', c};
  out += rest;
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
        alts += Branch(c, ToColon(seen | (c == ',' ? CommaSep : PercentSep), false));
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
        alts += Branch(c, Operands(seen | s, false));
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
        alts += Branch(c, Walk(seen | (c == ',' ? CommaSep : PercentSep), false));
      }
      for (const auto& [form, next] : ConstantForms(seen, false))
        alts += "|" + form + Walk(next, true);
      return Plain(":" + unseen, false) + "*+(?:" + alts.substr(1) + "|:)";
    });
  }

  Grammar g_;
};

}  // namespace

std::string StringShape() {
  return "(?:[^:;]*:|(?![^:;]*:)) *[Dd][Ss][^;]";
}

FirstColumnTest StringReads() {
  StringGrammar grammar;
  const std::string label = grammar.Label();
  return {grammar.Definitions(), "(?=" + StringShape() + ")(?=" + label + ")"};
}

FirstColumnTest StatementReads() {
  LineGrammar grammar(AllMnemonics());
  const std::string line = grammar.Line();
  return {grammar.Definitions(), "(?=" + line + ")"};
}

}  // namespace q41::ksyntax
