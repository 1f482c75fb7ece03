// q41-lsp: the language server for Q41 program files, on standard input and output. Each
// message is a header block ("Content-Length: N", an empty line) and N bytes of JSON. Bad
// input gets the protocol's error answer and the server goes on; it ends at "exit" or at
// the end of its input.

#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>

#include "common/err_diag.hpp"
#include "tools/lsp/server.hpp"

namespace {

// The next message's body; false at the end of the input. A header block without a length
// gives an empty body.
bool ReadMessage(std::istream& in, std::string& body) {
  std::string line;
  long long length = -1;
  bool any = false;
  while (std::getline(in, line)) {
    any = true;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) break;
    constexpr std::string_view key = "Content-Length:";
    if (line.size() > key.size() && strncasecmp(line.c_str(), key.data(), key.size()) == 0) {
      try {
        length = std::stoll(line.substr(key.size()));
      } catch (const std::exception&) {
        length = -1;
      }
    }
  }
  if (!any) return false;
  body.clear();
  if (length <= 0) return true;
  // Read in pieces: a length far beyond the input must not allocate it at once.
  constexpr std::size_t piece = 1 << 20;
  while (body.size() < static_cast<std::size_t>(length) && in) {
    const std::size_t want =
        std::min<std::size_t>(piece, static_cast<std::size_t>(length) - body.size());
    const std::size_t had = body.size();
    body.resize(had + want);
    in.read(body.data() + had, static_cast<std::streamsize>(want));
    body.resize(had + static_cast<std::size_t>(in.gcount()));
  }
  return true;
}

// What the server reads on its command line; it is started by an editor, which says it.
const q41::Bilingual Usage{
    "Использование: q41-lsp [--lang ru|en]\n"
    "Языковой сервер (Language Server Protocol) для файлов программ Q41 (.asm) на\n"
    "стандартных вводе и выводе; его запускает редактор.\n"
    "  --lang ru|en  язык сообщений (иначе по LC_ALL, LC_MESSAGES или LANG)\n"
    "  --help        эта справка\n"
    "  --version     версия\n",
    "Usage: q41-lsp [--lang ru|en]\n"
    "A language server (the Language Server Protocol) for Q41 program files (.asm) on\n"
    "standard input and output; an editor starts it.\n"
    "  --lang ru|en  the language of the messages (else by LC_ALL, LC_MESSAGES or LANG)\n"
    "  --help        this help\n"
    "  --version     the version\n"};

// Reads the options into `language`; an exit status when the program ends here.
std::optional<int> ReadOptions(int argc, char** argv, q41::Language& language) {
  for (int k = 1; k < argc; ++k) {
    std::string arg = argv[k];
    if (arg == "--lang" && k + 1 < argc) arg = std::string("--lang=") + argv[++k];
    if (arg == "--lang=ru" || arg == "--lang=en") {
      language = arg == "--lang=ru" ? q41::Language::Russian : q41::Language::English;
    } else if (arg == "--version") {
      std::cout << "q41-lsp " << Q41_VERSION << "\n";
      return 0;
    } else if (arg == "--help" || arg == "-h") {
      std::cout << q41::Bilingual(Usage).In(language);
      return 0;
    } else {
      std::cerr << "q41-lsp: "
                << q41::Bilingual{"неизвестный параметр: ", "unknown option: "}.In(language) << arg
                << "\n"
                << q41::Bilingual{"Справка: q41-lsp --help\n", "Try: q41-lsp --help\n"}.In(
                       language);
      return 2;
    }
  }
  return std::nullopt;
}

void WriteMessage(const std::string& body) {
  std::cout << "Content-Length: " << body.size() << "\r\n\r\n" << body;
  std::cout.flush();
}

}  // namespace

int main(int argc, char** argv) {
  q41::Language language = q41::LanguageOfEnvironment();
  if (const auto status = ReadOptions(argc, argv, language)) return *status;
  std::ios::sync_with_stdio(false);
  q41::lsp::Server server(language);
  std::string body;
  while (!server.Exited() && ReadMessage(std::cin, body)) {
    for (const std::string& answer : server.HandleText(body)) WriteMessage(answer);
  }
  return server.Exited() ? server.ExitCode() : 0;
}
