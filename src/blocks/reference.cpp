#include "blocks/reference.hpp"

#include <array>

#include "assembler/mnemonic.hpp"
#include "blocks/compile.hpp"
#include "common/keyed_table.hpp"

namespace q41 {
namespace {

using Words = Bilingual;

class Writer {
 public:
  explicit Writer(Language language) : language_(language) {}
  std::string operator()(const Words& w) const { return w.In(language_); }

 private:
  Language language_;
};

std::size_t FormOf(const MnemonicEntry& m) {
  return static_cast<std::size_t>(m.form);
}

// The example of a mnemonic, by the way it reads its operands: what goes before and after
// its name.
std::string ExampleOf(const MnemonicEntry& m) {
  struct Around {
    OperandForm key;
    const char* before;
    const char* after;
  };
  static constexpr auto Examples = std::to_array<Around>({
      {OperandForm::None, "", ""},
      {OperandForm::SourceDestination, "", " #5, R0"},
      {OperandForm::PortDestination, "", " P.2, R1"},
      {OperandForm::SourcePort, "", " R1, P.3"},
      {OperandForm::Jump, "L: ", " #L"},
      {OperandForm::Branch, "L: ", " L"},
      {OperandForm::One, "", " R1"},
      {OperandForm::Value, "", " 1234H"},
  });
  static_assert(KeyedInOrder<OperandFormCount>(Examples));
  const Around& e = Examples[FormOf(m)];
  return e.before + std::string(m.name) + (m.takesConstant ? " #2" : e.after);
}

// The code words of a source line, as the assembler makes them.
std::string Assembled(const std::string& line) {
  CompileWorkspace workspace;
  const Lines source = {line};
  const CompileOutcome outcome =
      CompileSource(workspace, source, {}, AssemblerOptions{Language::English, true}, nullptr);
  std::string words;
  for (const std::string& word : outcome.code) words += (words.empty() ? "" : " ") + word;
  return outcome.succeeded ? words : "?";
}

std::string OperandsOf(const MnemonicEntry& m, const Writer& t) {
  static constexpr auto Operands = std::to_array<KeyedText<OperandForm>>({
      {OperandForm::None, {"нет", "none"}},
      {OperandForm::SourceDestination, {"источник, приёмник", "source, destination"}},
      {OperandForm::PortDestination, {"порт, приёмник", "port, destination"}},
      {OperandForm::SourcePort, {"источник, порт", "source, port"}},
      {OperandForm::Jump, {"адрес перехода", "target"}},
      {OperandForm::Branch, {"имя метки", "label name"}},
      {OperandForm::One, {"один операнд", "one operand"}},
      {OperandForm::Value, {"одно значение", "one value"}},
  });
  static_assert(KeyedInOrder<OperandFormCount>(Operands));
  return t(Operands[FormOf(m)].text);
}

std::string EncodingOf(const MnemonicEntry& m, const Writer& t) {
  static constexpr auto Encodings = std::to_array<KeyedText<OperandForm>>({
      {OperandForm::None, {"слово шаблона без изменений.", "the template's word as it is."}},
      {OperandForm::SourceDestination,
       {"символ 1: флаги (бит 3 — байтовый источник, бит 2 — байтовый приёмник, биты 1 и "
        "0 — короткая константа); 2: группа (из шаблона); 3: код источника; 4: код "
        "приёмника. Слова расширения: слово источника (если код D или E), затем слово "
        "приёмника (если код E).",
        "character 1: flags (bit 3 a byte source, bit 2 a byte destination, bits 1 and 0 "
        "a short constant); 2: the group (template); 3: source code; 4: destination "
        "code. Extension words: the source's word (if code D or E), then the "
        "destination's word (if code E)."}},
      {OperandForm::PortDestination,
       {"символ 1: флаги (бит 2 — байтовый приёмник); 2: A; 3: порт 0–F; 4: код "
        "приёмника. Слово расширения: слово приёмника (если код E).",
        "character 1: flags (bit 2, a byte destination); 2: A; 3: port 0 to F; 4: "
        "destination code. Extension word: the destination's word (if code E)."}},
      {OperandForm::SourcePort,
       {"символ 1: флаги (биты 3, 1, 0); 2: B; 3: код источника; 4: порт 0–F. Слово "
        "расширения: слово источника (если код D или E).",
        "character 1: flags (bits 3, 1, 0); 2: B; 3: source code; 4: port 0 to F. "
        "Extension word: the source's word (if code D or E)."}},
      {OperandForm::Jump,
       {"символ 1: условие (из шаблона); 2: C; 3: 0; 4: код адреса. Слово расширения: "
        "адрес (если код D или E).",
        "character 1: the condition (template); 2: C; 3: 0; 4: target code. Extension "
        "word: the target's word (if code D or E)."}},
      {OperandForm::Branch,
       {"символ 1: условие (из шаблона); 2: D; 3 и 4: смещение до метки в байтах от "
        "следующего слова, от −128 до 126. Слов расширения нет.",
        "character 1: the condition (template); 2: D; 3 and 4: the displacement to the "
        "label in bytes from the next word, −128 to 126. No extension words."}},
      {OperandForm::One,
       {"символ 1: 0, или C для байтового операнда; 2: E; 3: операция (из шаблона); 4: "
        "код операнда. Слово расширения: слово операнда (если код D или E).",
        "character 1: 0, or C for a byte operand; 2: E; 3: the operation (template); 4: "
        "operand code. Extension word: the operand's word (if code D or E)."}},
      {OperandForm::Value, {"слово — само значение.", "the word is the value itself."}},
  });
  static_assert(KeyedInOrder<OperandFormCount>(Encodings));
  return t(Encodings[FormOf(m)].text);
}

std::string Escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else if (c == '&') {
      out += "&amp;";
    } else {
      out += c;
    }
  }
  return out;
}

std::string Example(const std::string& line) {
  return "<pre>" + Escaped(line) + "    → " + Assembled(line) + "</pre>";
}

ReferenceEntry OperandsTopic(const Writer& t) {
  std::string registers;
  for (const RegisterEntry& r : RegisterCodes) {
    registers += "<tr><td><code>" + Escaped(r.name) + "</code></td><td>" + std::string(1, r.code) +
                 "</td></tr>";
  }
  std::string html = "<h2>" + t({"Операнды", "Operands"}) + "</h2>";
  html += "<p>" +
          t({"Регистры и косвенные регистры и их коды в слове команды:",
             "Registers and indirect registers, and their codes in an instruction word:"}) +
          "</p><table border=1 cellpadding=3>" + registers + "</table>";
  html += "<ul>";
  html += "<li><code>#5</code>, <code>#-3</code>: " +
          t({"константа. От 0 до 15 и от −15 до −1 в позиции источника — короткая константа "
             "прямо в слове команды (флаги 2 или 3); иначе код D и слово расширения.",
             "a constant. From 0 to 15 and from −15 to −1 in the source position it is a short "
             "constant held in the instruction word (flags 2 or 3); otherwise code D and an "
             "extension word."}) +
          "</li>";
  html += "<li><code>#NAME</code>: " +
          t({"значение метки или константы (код D, слово расширения).",
             "the value of a label or constant (code D, an extension word)."}) +
          "</li>";
  html += "<li><code>NAME</code>: " +
          t({"слово памяти по адресу метки (код E, слово расширения).",
             "the memory word at the label's address (code E, an extension word)."}) +
          "</li>";
  html += "<li><code>R1%</code>, <code>(R2)%</code>: " +
          t({"знак % в конце — байтовый операнд.", "a final % makes a byte operand."}) + "</li>";
  html += "<li><code>P.3</code>, <code>P3</code>, <code>3</code>: " +
          t({"порт команд IN и OUT, от 0 до F.", "a port of IN and OUT, 0 to F."}) + "</li>";
  html += "</ul>" + Example("MOV #5, R0") + Example("MOV R1%, (R2)%");
  return {"OPERANDS", t({"Операнды", "Operands"}), html};
}

ReferenceEntry NumbersTopic(const Writer& t) {
  std::string html = "<h2>" + t({"Числа", "Numbers"}) + "</h2><ul>";
  html += "<li><code>12</code>, <code>-12</code>: " +
          t({"десятичное число со знаком.", "a decimal number with a sign."}) + "</li>";
  html += "<li><code>0FFH</code>, <code>1234h</code>: " +
          t({"шестнадцатеричное с H в конце; начинается с цифры (0FFH, а не FFH).",
             "hexadecimal with a final H; it begins with a digit (0FFH, not FFH)."}) +
          "</li>";
  html += "<li><code>#'A'</code>: " + t({"код символа.", "the code of a character."}) + "</li>";
  html += "</ul><p>" +
          t({"Значение — 16-битное слово: от −32768 до 65535.",
             "A value is a 16-bit word: −32768 to 65535."}) +
          "</p>" + Example("DW 0FFH") + Example("DW -1") + Example("MOV #'A', R0");
  return {"NUMBERS", t({"Числа", "Numbers"}), html};
}

ReferenceEntry DirectivesTopic(const Writer& t) {
  std::string html = "<h2>" + t({"Директивы", "Directives"}) + "</h2><ul>";
  html +=
      "<li><code>NAME:</code> " +
      t({"метка: адрес следующего слова кода.", "a label: the address of the next code word."}) +
      "</li>";
  html += "<li><code>NAME = 5</code> " +
          t({"константа; имя, начинающееся с @, — константа особого вида.",
             "a constant; a name that begins with @ is a constant of its own kind."}) +
          "</li>";
  html += "<li><code>MSG: DS text</code> " +
          t({"строка: по два символа в слове, первый в младшем байте; LEN(MSG) — её длина.",
             "a string: two characters to a word, the first in the low byte; LEN(MSG) is its "
             "length."}) +
          "</li>";
  html += "<li><code>RW 4</code> " +
          t({"резервирует слова (AE97 в каждом).", "reserves words (AE97 in each)."}) + "</li>";
  html += "<li>GLOBAL: " +
          t({"строки NAME=value текста GLOBAL — имена для всех блоков.",
             "the NAME=value lines of the GLOBAL text: names for every block."}) +
          "</li>";
  html += "<li><code>;</code> " +
          t({"комментарий до конца строки, даже внутри строки DS.",
             "a comment to the end of the line, even inside a DS string."}) +
          "</li></ul>" + Example("M: DS hello") + Example("RW 2");
  return {"DIRECTIVES", t({"Директивы", "Directives"}), html};
}

}  // namespace

std::vector<ReferenceEntry> InstructionReference(Language language) {
  const Writer t(language);
  std::vector<ReferenceEntry> entries = {OperandsTopic(t), NumbersTopic(t), DirectivesTopic(t)};
  for (const MnemonicEntry& m : Mnemonics) {
    const std::string name(m.name);
    std::string html = "<h2>" + name + "</h2>";
    html += "<p><b>" + t({"Операнды", "Operands"}) + ":</b> " + OperandsOf(m, t) + "</p>";
    html += "<p><b>" + t({"Шаблон", "Template"}) + ":</b> <code>" + std::string(m.templ) +
            "</code> (" + t({"группа", "group"}) + " " + std::string(1, m.templ[1]) + ")</p>";
    html += "<p><b>" + t({"Кодирование", "Encoding"}) + ":</b> " + EncodingOf(m, t) + "</p>";
    html += "<p><b>" + t({"Пример", "Example"}) + ":</b></p>" + Example(ExampleOf(m));
    entries.push_back({name, name, html});
  }
  return entries;
}

}  // namespace q41
