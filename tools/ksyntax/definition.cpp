#include "ksyntax/definition.hpp"

#include <functional>
#include <map>
#include <vector>

#include "assembler/mnemonic.hpp"
#include "ksyntax/line_reading.hpp"

namespace q41::ksyntax {
namespace {

// What the contexts know of the line behind them.
struct State {
  bool hash = false;     // the line holds "#": blanks keep the first column of their run
  bool percent = false;  // a "%" was passed
  bool comma = false;    // a "," was passed
  bool colon = false;    // a ":" was passed, the label's or one in the character constant
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
  std::string Write() {
    // The line's kind and whether it reads are settled at the first column; a string
    // directive's shape makes a string line whether or not it reads.
    const FirstColumnTest string = StringReads();
    const FirstColumnTest statement = StatementReads();
    std::vector<Rule> root = {
        {"RegExpr", "^" + string.definitions + string.test + "[^;]", NormalText, StringStart(),
         true, true},
        {"RegExpr", "^(?=" + StringShape() + ")[^;]", NormalText, Rest(), true, true},
        {"RegExpr", "^" + statement.definitions + "(?=[^;]*#)" + statement.test + "[^;]",
         NormalText, Start(State{.hash = true}, false), true, true},
        {"RegExpr", "^" + statement.definitions + statement.test + "[^;]", NormalText,
         Start(State{}, false), true, true},
        {"DetectChar", ";", CommentKind, Comment(), false, false},
    };
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE language>\n"
        "<!-- Made by gen_ksyntax from the Q41 assembler's instruction table; do not edit. -->\n"
        "<language name=\"Q41 Assembler\" section=\"Assembler\" version=\"1\" "
        "kateversion=\"5.0\" extensions=\"*.asm;*.ASM\" mimetype=\"\" priority=\"10\">\n"
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

  // The start of a line that reads, or what follows its label; after a label whose ":" was
  // not the line's first, the blanks after it stay.
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

  // A name's final "%", which is no part of it, and the blanks before it.
  void AddFinalMarkRules(std::vector<Rule>& rules, const std::string& kind, Term term, bool port2,
                         const State& s, const std::string& finalMark) {
    const State marked = s.With(&State::percent);
    rules.push_back({"RegExpr", finalMark, NormalText,
                     Switch(s.percent ? Span(kind, true, term, port2, marked)
                                      : AfterFirstSeparator(kind, true, term, port2, marked))});
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
      if (body) AddFinalMarkRules(rules, kind, term, port2, s, finalMark);
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

  std::map<std::string, std::string> contexts_;
  std::vector<std::string> order_;
};

}  // namespace

std::string SyntaxDefinition() {
  return Definition().Write();
}

}  // namespace q41::ksyntax
