// Writes the TextMate grammar of Q41 source for VS Code (and every editor that reads TextMate
// grammars) to the file given, made from the instruction and register tables.
//   gen_tmgrammar OUTPUT.tmLanguage.json
//
// The grammar reads a line as the preprocessor does, as far as regular expressions of one
// line can: the first ";" starts a comment anywhere; "DS" and any character after a label or
// none is a string to the comment; "NAME =" defines a constant whose value is a number;
// "NAME:" a label; then an operation of the table, whose form tells how its operands read (a
// port, a branch's label, registers, numbers, character constants, names). A line indented by
// a tab, or whose operation the table lacks, shows no colour but its comment's, as in the
// windows. Each scope's last part names the kind the language service gives the text.

#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>

#include "assembler/mnemonic.hpp"

namespace {

using Json = nlohmann::json;

// The names joined as one alternative of a regular expression, "(" and ")" escaped.
std::string Alternatives(const std::vector<std::string_view>& names) {
  std::string out;
  for (std::string_view name : names) {
    if (!out.empty()) out += '|';
    for (char c : name) {
      if (c == '(' || c == ')') out += '\\';
      out += c;
    }
  }
  return out;
}

std::string MnemonicsOf(bool (*wanted)(q41::OperandForm)) {
  std::vector<std::string_view> names;
  for (const q41::MnemonicEntry& m : q41::Mnemonics) {
    if (wanted(m.form)) names.push_back(m.name);
  }
  return Alternatives(names);
}

// Where an operand ends: before blanks, then a comma, a comment or the line's end.
constexpr const char* OperandEnd = "(?=[ ]*(?:,|;|$))";
constexpr const char* Number = "#?-?[0-9][^ ,;]*";

Json OperandPatterns() {
  std::vector<std::string_view> registers;
  for (const q41::RegisterEntry& r : q41::RegisterCodes) registers.push_back(r.name);
  return Json::array(
      {{{"match", "(?<=[ ,])(?i:" + Alternatives(registers) + ")%?" + OperandEnd},
        {"name", "variable.language.register.q41"}},
       {{"match", "(?<=[ ,])#'.'" + std::string(OperandEnd)}, {"name", "string.quoted.char.q41"}},
       {{"match", std::string("(?<=[ ,])") + Number + OperandEnd},
        {"name", "constant.numeric.q41"}},
       {{"match", std::string("(?<=[ ,#])(?![0-9'\\-])[^ ,;%#]+(?=%?") + OperandEnd + ")"},
        {"name", "variable.other.label.q41"}}});
}

// A statement of operations of the forms `wanted`: the operation, then what follows;
// `before` are the operand rules that come first (a port after the comma), `first` reads a
// port as the first operand.
Json Statement(bool (*wanted)(q41::OperandForm), Json before, bool first = false) {
  Json patterns = std::move(before);
  for (const Json& p : OperandPatterns()) patterns.push_back(p);
  const std::string port = first ? "(?:[ ]+([^ ,;]+))?" : "";
  return {{"begin", "(?:^|(?<=:))[ ]*((?i:" + MnemonicsOf(wanted) + "))" + port + "(?=[ ]|,|;|$)"},
          {"beginCaptures",
           {{"1", {{"name", "keyword.other.mnemonic.q41"}}},
            {"2", {{"name", "constant.numeric.port.q41"}}}}},
          {"end", "(?=;|$)"},
          {"patterns", patterns}};
}

Json Grammar() {
  const Json port = {{"match", "(?<=,)[ ]*([^ ,;][^,;]*?)(?=[ ]*(?:;|$))"},
                     {"captures", {{"1", {{"name", "constant.numeric.port.q41"}}}}}};
  const Json comment = {{"match", ";.*$"}, {"name", "comment.line.semicolon.q41"}};
  // A label stands before an operation the table knows, the reserved-words directive, a
  // comment or nothing: the preprocessor refuses the whole line otherwise.
  const std::string all = MnemonicsOf([](q41::OperandForm) { return true; });
  const Json label = {
      {"match", "^[ ]*([^ :;=#,'][^:;=]*?:)(?=[ ]*(?:(?i:" + all + ")(?:[ ,;]|$)|(?i:RW) |;|$))"},
      {"captures", {{"1", {{"name", "entity.name.label.q41"}}}}}};
  const Json string = {{"match", "^([^ :;]+:)?[ ]*([dD][sS])(?=[^;]) ?([^;]*?)[ ]*(?=;|$)"},
                       {"captures",
                        {{"1", {{"name", "entity.name.label.q41"}}},
                         {"2", {{"name", "keyword.other.mnemonic.q41"}}},
                         {"3", {{"name", "string.unquoted.q41"}}}}}};
  const std::string value = std::string("(") + Number + ")?";
  const Json constant = {
      {"match", "^[ ]*([^ :;=#,'][^:;=]*?[ ]*=)[ ]*" + value + "[^;]*?(?=[ ]*(?:;|$))"},
      {"captures",
       {{"1", {{"name", "variable.other.constant.q41"}}},
        {"2", {{"name", "constant.numeric.q41"}}}}}};
  const Json reserved = {
      {"match", "(?:^|(?<=:))[ ]*((?i:RW)) (" + std::string(Number) + ")?[^;]*?(?=[ ]*(?:;|$))"},
      {"captures",
       {{"1", {{"name", "keyword.control.directive.q41"}}},
        {"2", {{"name", "constant.numeric.q41"}}}}}};
  using F = q41::OperandForm;
  const Json statements =
      Json::array({Statement([](F f) { return f == F::SourcePort; }, Json::array({port})),
                   Statement([](F f) { return f == F::PortDestination; }, Json::array(), true),
                   Statement([](F f) { return f != F::SourcePort && f != F::PortDestination; },
                             Json::array())});
  Json patterns = Json::array({comment, string, constant, reserved, label});
  for (const Json& s : statements) patterns.push_back(s);
  return {
      {"$schema", "https://raw.githubusercontent.com/martinring/tmlanguage/master/tmlanguage.json"},
      {"name", "Q41 Assembler"},
      {"scopeName", "source.q41"},
      {"comment", "Made by gen_tmgrammar from the Q41 assembler's instruction table."},
      {"patterns", patterns}};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: gen_tmgrammar OUTPUT.tmLanguage.json\n";
    return 2;
  }
  std::ofstream out(argv[1], std::ios::binary);
  out << Grammar().dump(2) << '\n';
  out.close();
  if (!out) {
    std::cerr << "gen_tmgrammar: cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}
