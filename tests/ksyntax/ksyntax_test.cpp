// The syntax definition for the KDE frameworks' editors against the language service: the
// engine's own command-line highlighter loads the generated definition without a word on its
// error output and colours the example programs and generated lines; every character must
// get the kind LineTokens gives it.
//   ksyntax_test DEFINITION.xml SOURCE_DIR [LINES [SEED]]
// The highlighter is kate-syntax-highlighter (package libkf5syntaxhighlighting-tools), or
// whatever KSYNTAX_HIGHLIGHTER names.

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "assembler/mnemonic.hpp"
#include "common/cp1251.hpp"
#include "common/text.hpp"
#include "language/tokens.hpp"
#include "preprocessor/preproc.hpp"

namespace q41 {
namespace {

namespace fs = std::filesystem;

// One letter a kind, so that a line's kinds read under the line; "." for no colour.
char Letter(SyntaxKind kind) {
  switch (kind) {
    case SyntaxKind::Mnemonic:
      return 'M';
    case SyntaxKind::Register:
      return 'R';
    case SyntaxKind::Number:
      return 'N';
    case SyntaxKind::Text:
      return 'T';
    case SyntaxKind::LabelDefinition:
      return 'L';
    case SyntaxKind::LabelUse:
      return 'U';
    case SyntaxKind::ConstantDefinition:
      return 'C';
    case SyntaxKind::ReservedWords:
      return 'W';
    case SyntaxKind::Comment:
      return ';';
  }
  return '?';
}

std::string ExpectedKinds(const std::string& line) {
  std::string kinds(line.size(), '.');
  for (const SyntaxSpan& s : LineTokens(line)) {
    std::fill_n(kinds.begin() + s.start, s.length, Letter(s.kind));
  }
  return kinds;
}

// The definition's item names, each given a colour of its own by the theme below.
const std::vector<std::pair<std::string, char>> Items = {
    {"Normal Text", '.'},    {"Mnemonic", 'M'},
    {"Register", 'R'},       {"Number", 'N'},
    {"Text", 'T'},           {"Label Definition", 'L'},
    {"Label Use", 'U'},      {"Constant Definition", 'C'},
    {"Reserved Words", 'W'}, {"Comment", ';'}};

std::string Theme() {
  std::string styles;
  for (std::size_t k = 0; k < Items.size(); ++k) {
    char colour[8];
    std::snprintf(colour, sizeof colour, "#%02x0000", static_cast<unsigned>(k + 1));
    styles += std::string(k ? ",\n" : "") + "    \"" + Items[k].first + "\": {\"text-color\": \"" +
              colour + "\", \"bold\": false, \"italic\": false}";
  }
  return "{\n  \"metadata\": {\"name\": \"Q41 Kinds\", \"revision\": 1},\n"
         "  \"text-styles\": {\"Normal\": {\"text-color\": \"#010000\"}},\n"
         "  \"editor-colors\": {\"BackgroundColor\": \"#ffffff\"},\n"
         "  \"custom-styles\": {\"Q41 Assembler\": {\n" +
         styles + "\n  }}\n}\n";
}

// The highlighter's ANSI output, one line of kind letters per line: each character takes the
// kind of the colour set before it. The text is UTF-8 of characters that each stand for one
// byte of the line.
std::vector<std::string> ParseAnsi(const std::string& out) {
  std::vector<std::string> lines(1);
  char kind = '?';
  for (std::size_t k = 0; k < out.size();) {
    const unsigned char c = static_cast<unsigned char>(out[k]);
    if (c == 0x1b && k + 1 < out.size() && out[k + 1] == '[') {
      const std::size_t end = out.find_first_of("mK", k + 2);
      if (end == std::string::npos) break;
      if (out[end] == 'm') {
        std::vector<int> params;
        std::stringstream in(out.substr(k + 2, end - k - 2));
        for (std::string p; std::getline(in, p, ';');)
          params.push_back(p.empty() ? 0 : std::stoi(p));
        for (std::size_t p = 0; p < params.size(); ++p) {
          // 38;2;R;G;B sets the text colour, 48;2;R;G;B the background's.
          if ((params[p] == 38 || params[p] == 48) && p + 4 < params.size() && params[p + 1] == 2) {
            const int red = params[p + 2];
            const bool ours = red >= 1 && red <= static_cast<int>(Items.size()) &&
                              params[p + 3] == 0 && params[p + 4] == 0;
            if (params[p] == 38)
              kind = ours ? Items[static_cast<std::size_t>(red - 1)].second : '?';
            p += 4;
          }
        }
      }
      k = end + 1;
    } else if (c == '\n') {
      lines.emplace_back();
      ++k;
    } else {
      // One character, of one to three bytes.
      k += c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
      lines.back() += kind;
    }
  }
  if (lines.back().empty()) lines.pop_back();
  return lines;
}

// Lines that stress what the preprocessor's reading turns on, built from parts and then
// roughened with blanks and stray characters.
class LineMaker {
 public:
  explicit LineMaker(unsigned seed) : random_(seed) {}

  std::string Make() {
    switch (Pick(13)) {
      case 0:
        return Soup();
      case 5:
        return Atoms();
      case 1:
        return Characters();
      case 2:
        return Statement() + Blanks() + ":" + Blanks();
      case 3:
        return Mutated(Statement());
      case 4:
        return StringLine();
      default:
        return Statement();
    }
  }

 private:
  std::size_t Pick(std::size_t n) { return static_cast<std::size_t>(random_() % n); }
  const std::string& From(const std::vector<std::string>& options) {
    return options[Pick(options.size())];
  }
  std::string Blanks() { return std::string(Pick(3) == 0 ? Pick(4) : 0, ' '); }
  // Blanks around a separator, where they go or stay as the line's first of it or not.
  std::string Around(const std::string& sep) { return Blanks() + sep + Blanks(); }

  std::string RandomCase(std::string_view word) {
    std::string out(word);
    const std::size_t how = Pick(3);
    for (char& c : out) {
      if (c >= 'A' && c <= 'Z' && (how == 1 || (how == 2 && Pick(2) == 0)))
        c = static_cast<char>(c + 32);
    }
    return out;
  }

  std::string Name() {
    static const std::vector<std::string> names = {
        "x",    "L0",    "loop",   "start",        "A%B",     "a=b",   "#'A'x",  "n#','",  "-x",
        "5x",   "a,b",   "a b",    "\xEC\xE8\xF0", "\tL",     "r1",    "ds",     "RW",     "x#",
        "%",    "a % b", "a = b",  "#' '",         "#'='",    "#':'",  "#'%'",   "q#'\t'", "m'",
        "(R1)", "LEN",   "#' : '", "a#' = 'b",     "#' , 'x", "x#'%'", "A#':'B", "a#'\t'"};
    return Pick(6) == 0 ? "" : From(names);
  }

  std::string Number() {
    static const std::vector<std::string> numbers = {
        "0",     "5",    "-3",    "32767",      "32768",      "-32768",    "-32769",
        "0FFH",  "0ffh", "FFFFH", "10000H",     "00000FFFFH", "H",         "-H",
        "12AB",  "1 2",  "p.3",   "0000032767", "4294967297", "00008000H", "100000001H",
        "8001H", "0",    "65536", "-",          "#5",         "1H2"};
    return From(numbers);
  }

  // The definition shows a decimal count past 2^32 as refused, where the preprocessor's
  // count wraps round; no count here wraps back into range.
  std::string Count() {
    static const std::vector<std::string> counts = {
        "1",          "10",    "0",     "32768", "32769",      "0032768",       "4294967295",
        "2147483648", "8000H", "8001H", "0h",    "100000001H", "FFFFFFFF8000H", "7fffh",
        "-1",         "1 2",   "x",     "5,",    "H",          "0000000000001"};
    return From(counts);
  }

  std::string Operand() {
    static const std::vector<std::string> operands = {
        "r0",   "R3",    "(r1)",  "(R2)%", "r1 %",     "r1%",    "r1  %",  "r4",     "( r1)",
        "5",    "-3",    "#5",    "#-1",   "#x",       "#",      "x",      "p.3",    "0FFH",
        "#'A'", "#' '",  "#'  '", "#','",  "#' , '",   "#':'",   "#'='",   "#'%'",   "#' % '",
        "#'''", "#'\t'", "#'ab'", "%",     "x %",      "x%y",    "x%y %",  "#x%",    "# x",
        "#%",   "##'A'", "#'A'x", "5#'A'", "x#'\t'",   "#'\t'%", "#'A' %", "LEN(x)", "\xEC\xE8",
        "a b",  "#' '%", "x  %",  "#';'",  "#'A'#'B'", "#':' x"};
    return From(operands);
  }

  std::string Mnemonic() {
    static const std::vector<std::string> others = {"RW", "DS", "FOO", "MOVE", "M OV", "\tMOV"};
    if (Pick(8) == 0) return From(others);
    return RandomCase(Mnemonics[Pick(Mnemonics.size())].name);
  }

  std::string Statement() {
    std::string line = Blanks();
    const std::size_t shape = Pick(8);
    if (shape < 3) line += Name() + Around(":");
    if (shape == 3 || shape == 4) {
      line += Name() + Around("=") + (Pick(5) ? Number() : Operand());
    } else if (shape == 5) {
      line += RandomCase("RW") + std::string(1 + Pick(2), ' ') + (Pick(4) ? Count() : Operand());
    } else {
      line += Mnemonic();
      const std::size_t operands = Pick(4);
      if (operands > 0) line += std::string(1 + Pick(2), ' ') + Operand();
      if (operands > 1) line += Around(",") + Operand();
      if (operands > 2) line += Around(",") + Operand();
    }
    if (Pick(3) == 0) line += Blanks() + ";" + Soup();
    return line;
  }

  std::string StringLine() {
    std::string line = Blanks();
    if (Pick(4) == 0) {
      line += Characters() + ":";
    } else if (Pick(3)) {
      line += Name() + (Pick(3) ? ":" : " : ");
    }
    line += Blanks() + RandomCase("DS") + From({" ", "", "  ", "\t"});
    static const std::vector<std::string> strings = {
        "Hello, Q41!", "a:b", "x", "", "  two  ", "#'A'", "a;b", "\xCF\xF0\xE8", "RW 5", "= 3"};
    line += From(strings);
    if (Pick(4) == 0) line += Blanks() + ";" + Soup();
    return line;
  }

  // Any of the characters the reading turns on, and a few it does not.
  std::string Characters() {
    static const std::string alphabet = "  ,:=%#';\tRrWwDdSsHh0159-()xX\xEC\x98";
    std::string line;
    for (std::size_t k = 1 + Pick(24); k > 0; --k) line += alphabet[Pick(alphabet.size())];
    return line;
  }

  // Words of the language and the characters between them, with blanks anywhere.
  std::string Atoms() {
    static const std::vector<std::string> atoms = {
        ",",    ":",      "=",    "%",      "#",    "'",      "\t",    ";",    "RW",   "DS",
        "r2",   "(R0)",   "-7",   "12",     "0ah",  "name",   "#'A'",  "#' '", "#','", "#' , '",
        "#':'", "#' : '", "#'='", "#' = '", "#'%'", "#' % '", "#'\t'", "#''",  "#'",   "\xEC"};
    std::string line;
    for (std::size_t k = 1 + Pick(8); k > 0; --k) {
      line += Blanks();
      line += Pick(4) == 0 ? Mnemonic() : From(atoms);
    }
    return line;
  }

  // Characters the reading turns on, at random.
  std::string Soup() {
    static const std::vector<std::string> bits = {
        " ",   " ",  "  ",  "\t",  ";",  ",",    ":",    "=",        "#",    "'",    "%",    "x",
        "L0",  "d",  "s",   "ds",  "r1", "(r2)", "5",    "-",        "0FFH", "#'A'", "#' '", "mov",
        "hlt", "in", "out", "jmp", "dw", "rw",   "push", "\xEC\xE8", "@",    "H",    "(",    ")"};
    std::string line;
    for (std::size_t k = Pick(10); k > 0; --k) line += From(bits);
    return line;
  }

  std::string Mutated(std::string line) {
    static const std::vector<std::string> bits = {" ", "  ", ",",  ":", "=", "#", "'",
                                                  "%", ";",  "\t", "x", "5", "-"};
    for (std::size_t k = 1 + Pick(3); k > 0; --k) {
      const std::size_t at = Pick(line.size() + 1);
      if (Pick(3) == 0 && at < line.size()) {
        line.erase(at, 1);
      } else {
        line.insert(at, From(bits));
      }
    }
    return line;
  }

  std::mt19937 random_;
};

// Lines a reader of the preprocessor would try first.
const std::vector<std::string> Tricky = {
    "",
    "   ",
    "; only a comment",
    "\tmov r0,r1",
    "\tL: hlt",
    "L:\thlt",
    "mov #';', r2 ; c",
    "ds a;b",
    "dsx",
    "  dsHello",
    "DS",
    "DS ;",
    "DS  two blanks  ",
    "x: dsab",
    "DS a:b",
    "s2: ds ab;cd ef",
    "  x: DS y",
    "a b: DS y",
    "a=b,c: DS y",
    "a=RW 5: DS y",
    "a=rw,5: DS y",
    "a %b: DS y",
    " %a: DS y",
    "a#'b'c: DS y",
    "a#': DS y",
    ":DS x",
    "RW,3",
    "rw 10",
    "x: rw 2",
    "RW 0",
    "RW 32768",
    "RW 32769",
    "RW 8000H",
    "RW 100000001H",
    "RW 1 2",
    "hlt;c",
    "a: b: hlt",
    "N = name",
    "N = -32768",
    "N = -32769",
    "X: =5",
    "=5",
    "A=B: C = 5",
    "A=B: C=5",
    "A = B: hlt",
    "A%B: mov r1 %, r2 %",
    "mov r1 % , r2 %",
    "mov r1% , r2 %",
    "mov #',' , r1",
    "mov #',', r1",
    "MOV #' , ',R1",
    "MOV R1,#' , '",
    "mov #':' :",
    "mov #':':",
    "X#'='Y=5",
    "X#'=' = 5",
    "A#','B: MOV R1 , R2",
    "A#','B: MOV R1 , R2 %",
    "in p.2, r1%",
    "in p 2 , r1",
    "out (r1) , p.1",
    "out #',' , p.1",
    "jmp a , b",
    "push r1 , x",
    "nop r1",
    "hlt , x",
    "mov ,r1",
    "mov %r1",
    "mov r1,",
    "mov #'\t'",
    "mov x#'\t'%",
    "mov #'\t' , r1",
    "mov # , r1",
    "mov #',',# , r1",
    "mov #'A',#':'",
    "mov #'A',#'B'",
    "dw #'A'",
    "\xEC\xE8\xF0: mov r0, \xEC\xE8\xF0 ; \xEF\xF0\xE8",
};

// The preprocessor's RW count wraps round past 2^32 and may land back in range; the
// definition cannot count that far and shows such a line as refused.
bool CountWraps(const std::string& line) {
  const LineReading reading = ReadSourceLine(line, Language::English);
  if (!reading.reservedWords || reading.pieces.empty()) return false;
  std::string count = reading.pieces.back().text.substr(3);
  if (count.empty() || count.back() == 'H') return false;
  count.erase(0, std::min(count.find_first_not_of('0'), count.size()));
  return count.size() > 10 || (count.size() == 10 && count > "4294967295");
}

struct Run {
  std::string output;
  std::string errors;
  int status = -1;
};

Run Highlight(const fs::path& work, const fs::path& input) {
  const char* tool = std::getenv("KSYNTAX_HIGHLIGHTER");
  const std::string command = "XDG_DATA_HOME='" + work.string() + "' XDG_DATA_DIRS='" +
                              (work / "none").string() + "' XDG_CONFIG_HOME='" + work.string() +
                              "' " + (tool ? tool : "kate-syntax-highlighter") +
                              " -s 'Q41 Assembler' -t 'Q41 Kinds' -f ansi '" + input.string() +
                              "' 2>'" + (work / "errors").string() + "'";
  Run run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[65536];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    run.output.append(buffer, n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream errors(work / "errors", std::ios::binary);
  run.errors.assign(std::istreambuf_iterator<char>(errors), {});
  return run;
}

std::string Shown(const std::string& line) {
  std::string out;
  // A tab shows as one character, so that the kinds below stay in line.
  for (char c : line) out += c == '\t' ? '\xBB' : c;
  return Cp1251ToUtf8(out);
}

int Main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: ksyntax_test DEFINITION.xml SOURCE_DIR [LINES [SEED]]\n";
    return 2;
  }
  const fs::path definition = argv[1];
  const fs::path source = argv[2];
  const int generated = argc > 3 ? std::atoi(argv[3]) : 20000;
  const unsigned seed = argc > 4 ? static_cast<unsigned>(std::atol(argv[4])) : 41;

  struct Case {
    std::string line;
    std::string where;
  };
  std::vector<Case> cases;
  std::vector<fs::path> examples;
  for (const auto& entry : fs::directory_iterator(source / "examples")) {
    if (entry.path().extension() == ".asm") examples.push_back(entry.path());
  }
  std::sort(examples.begin(), examples.end());
  for (const fs::path& file : examples) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    const Lines lines = SplitLines(bytes);
    for (std::size_t k = 0; k < lines.size(); ++k) {
      cases.push_back({lines[k], file.filename().string() + ":" + std::to_string(k + 1)});
    }
  }
  for (std::size_t k = 0; k < Tricky.size(); ++k) {
    cases.push_back({Tricky[k], "tricky line " + std::to_string(k + 1)});
  }
  LineMaker maker(seed);
  int leftOut = 0;
  for (int k = 0; k < generated; ++k) {
    std::string line = maker.Make();
    if (CountWraps(line)) {
      ++leftOut;
      continue;
    }
    cases.push_back({std::move(line), "generated line " + std::to_string(k + 1)});
  }

  char pattern[] = "/tmp/ksyntax_test.XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    std::cerr << "cannot make a temporary folder\n";
    return 1;
  }
  const fs::path work = pattern;
  fs::create_directories(work / "org.kde.syntax-highlighting" / "syntax");
  fs::create_directories(work / "org.kde.syntax-highlighting" / "themes");
  fs::copy_file(definition, work / "org.kde.syntax-highlighting" / "syntax" / "q41.xml");
  std::ofstream(work / "org.kde.syntax-highlighting" / "themes" / "q41-kinds.theme") << Theme();
  const fs::path input = work / "lines.asm";
  {
    std::ofstream out(input, std::ios::binary);
    for (const Case& c : cases) out << Cp1251ToUtf8(c.line) << "\n";
  }
  const Run run = Highlight(work, input);
  fs::remove_all(work);

  if (run.status != 0 || !run.errors.empty()) {
    std::cerr << "FAIL: kate-syntax-highlighter ended with status " << run.status << " and said:\n"
              << run.errors;
    return 1;
  }
  const std::vector<std::string> got = ParseAnsi(run.output);
  std::size_t characters = 0;
  for (std::size_t k = 0; k < cases.size(); ++k) {
    const std::string want = ExpectedKinds(cases[k].line);
    const std::string have = k < got.size() ? got[k] : std::string("(no line)");
    if (have != want) {
      std::cerr << "FAIL: " << cases[k].where << " is coloured otherwise:\n"
                << "  line:       \"" << Shown(cases[k].line) << "\"\n"
                << "  language:   \"" << want << "\"\n"
                << "  definition: \"" << have << "\"\n";
      return 1;
    }
    characters += want.size();
  }
  if (got.size() != cases.size()) {
    std::cerr << "FAIL: " << got.size() << " lines came back for " << cases.size() << "\n";
    return 1;
  }
  std::cout << "ksyntax: " << cases.size() << " lines and " << characters
            << " characters coloured alike";
  if (leftOut > 0) std::cout << " (" << leftOut << " with an RW count past 2^32 left out)";
  std::cout << "\n";
  return 0;
}

}  // namespace
}  // namespace q41

int main(int argc, char** argv) {
  return q41::Main(argc, argv);
}
