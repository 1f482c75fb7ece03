// Starts the language server q41-lsp for Q41 program files; the grammar, the language
// configuration and the encoding come from package.json.
const vscode = require("vscode");
const { LanguageClient } = require("vscode-languageclient/node");

let client;

function activate(context) {
  const command = vscode.workspace.getConfiguration("q41").get("server.path") || "q41-lsp";
  const language = vscode.env.language.startsWith("ru") ? "ru" : "en";
  client = new LanguageClient(
    "q41-lsp",
    "Q41 language server",
    { command, args: ["--lang", language] },
    { documentSelector: [{ language: "q41" }] });
  context.subscriptions.push(client);
  return client.start();
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
