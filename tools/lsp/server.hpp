#pragma once
// The language server's state and answers: the open program files, each read and checked as
// the windows read and check it, and one answer (or none) for each message of the client.
// Positions cross between the protocol's UTF-16 units of the client's UTF-8 text and the
// Windows-1251 bytes the language service reads here, and nowhere else.

#include <map>
#include <nlohmann/json_fwd.hpp>
#include <string>
#include <vector>

#include "language/program.hpp"

namespace q41::lsp {

using Json = nlohmann::json;

// A line of the client's text in the program's code page, with the UTF-16 column of each of
// its bytes (one byte for each character; a character the code page cannot hold is "?").
struct DocumentLine {
  std::string bytes;
  std::vector<int> utf16;    // size bytes + 1
  std::vector<int> foreign;  // the bytes that stand for characters the code page lacks
};

struct Document {
  std::vector<DocumentLine> lines;
  ProgramFacts program;
};

class Server {
 public:
  explicit Server(Language language) : language_(language) {}

  // Handles one message; the messages to send back, in order (an answer to a request, the
  // diagnostics of a document that changed). An empty list for a notification that needs
  // none.
  std::vector<Json> Handle(const Json& message);
  // The same for a message's text: the texts to send back, and the protocol's parse error
  // for a text that is no JSON. Only this file's users that build messages themselves need
  // the JSON library's header, which is slow to compile.
  std::vector<std::string> HandleText(const std::string& body);
  // Whether the client said exit; `ExitCode` is the protocol's code for it.
  bool Exited() const { return exited_; }
  int ExitCode() const { return shutdown_ ? 0 : 1; }

 private:
  Json Request(const std::string& method, const Json& params);
  std::vector<Json> Notification(const std::string& method, const Json& params);
  Json Diagnostics(const std::string& uri) const;
  std::vector<Json> ChangeGlobal(const Json& params);
  const Document* Find(const Json& params) const;

  Json Hover(const Document& d, const Json& position) const;
  Json Definition(const std::string& uri, const Document& d, const Json& position) const;
  Json References(const std::string& uri, const Document& d, const Json& position) const;
  Json Highlights(const Document& d, const Json& position) const;
  Json Rename(const std::string& uri, const Document& d, const Json& position,
              const std::string& newName) const;
  Json Completion(const Document& d, const Json& position) const;
  Json Symbols(const Document& d) const;
  Json SemanticTokens(const Document& d) const;
  Json InlayHints(const Document& d) const;

  Language language_;
  bool initialized_ = false;
  bool shutdown_ = false;
  bool exited_ = false;
  std::map<std::string, Document> documents_;
  Lines unmarkedGlobal_ = Program::DefaultGlobal();
};

}  // namespace q41::lsp
