// q41-lsp: the language server for Q41 program files, on standard input and output. Each
// message is a header block ("Content-Length: N", an empty line) and N bytes of JSON. Bad
// input gets the protocol's error answer and the server goes on; it ends at "exit" or at
// the end of its input.

#include <cstdio>
#include <cstring>
#include <iostream>
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

void WriteMessage(const std::string& body) {
  std::cout << "Content-Length: " << body.size() << "\r\n\r\n" << body;
  std::cout.flush();
}

}  // namespace

int main(int argc, char** argv) {
  q41::Language language = q41::LanguageOfEnvironment();
  for (int k = 1; k < argc; ++k) {
    const std::string arg = argv[k];
    if (arg == "--lang=ru" ||
        (arg == "--lang" && k + 1 < argc && std::strcmp(argv[k + 1], "ru") == 0)) {
      language = q41::Language::Russian;
    } else if (arg == "--lang=en" ||
               (arg == "--lang" && k + 1 < argc && std::strcmp(argv[k + 1], "en") == 0)) {
      language = q41::Language::English;
    } else if (arg == "--version") {
      std::cout << "q41-lsp " << Q41_VERSION << "\n";
      return 0;
    }
  }
  std::ios::sync_with_stdio(false);
  q41::lsp::Server server(language);
  std::string body;
  while (!server.Exited() && ReadMessage(std::cin, body)) {
    for (const std::string& answer : server.HandleText(body)) WriteMessage(answer);
  }
  return server.Exited() ? server.ExitCode() : 0;
}
