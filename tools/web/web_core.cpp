// The page's WebAssembly module: the language server and the program core behind three
// functions, called by the page's worker with and for texts in UTF-8.

#include <emscripten/emscripten.h>

#include <memory>
#include <string>

#include "tools/lsp/server.hpp"
#include "tools/web/core_requests.hpp"

namespace {

q41::Language language = q41::Language::Russian;
std::unique_ptr<q41::lsp::Server> server;
// A returned text lives until the next call of the same function.
std::string lspAnswer;
std::string coreAnswer;

}  // namespace

extern "C" {

// Starts over in a language: 0 Russian, 1 English.
EMSCRIPTEN_KEEPALIVE void q41_start(int english) {
  language = english != 0 ? q41::Language::English : q41::Language::Russian;
  server = std::make_unique<q41::lsp::Server>(language);
}

// One message of the protocol in; the messages to send back, as a JSON array.
EMSCRIPTEN_KEEPALIVE const char* q41_lsp(const char* message) {
  if (!server) q41_start(0);
  lspAnswer = "[";
  for (const std::string& answer : server->HandleText(message)) {
    if (lspAnswer.size() > 1) lspAnswer += ',';
    lspAnswer += answer;
  }
  lspAnswer += ']';
  return lspAnswer.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* q41_core(const char* request) {
  coreAnswer = q41::web::HandleCoreRequest(request, language);
  return coreAnswer.c_str();
}

}  // extern "C"
