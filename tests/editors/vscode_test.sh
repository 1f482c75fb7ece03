#!/usr/bin/env bash
# The VS Code extension: its generated grammar read by vscode-textmate and vscode-oniguruma
# against the language service's tokens (vscode_grammar_test.js), and the package `make vsix`
# makes: the grammar, the language with Windows-1251 and CR LF as its defaults, and the client
# that starts q41-lsp with the library it needs.
# Usage: vscode_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(realpath "$1")
source=$(realpath "$2")
command -v node >/dev/null || { echo "node is missing (scripts/setup.sh installs nodejs, npm)" >&2; exit 1; }
[ -d "$source/editors/vscode/node_modules/vscode-textmate" ] ||
  { echo "the npm packages are missing: scripts/setup.sh installs them" >&2; exit 1; }
node "$source/tests/editors/vscode_grammar_test.js" "$build/q41.tmLanguage.json" "$build/q41-lsp" "$source"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
vsix=$("$source/scripts/vsix.sh" "$build" 2>/dev/null)
cd "$work"
unzip -q "$vsix"
cmp extension/syntaxes/q41.tmLanguage.json "$build/q41.tmLanguage.json"
node - <<'JS'
const p = require("./extension/package.json");
const fail = (m) => { console.error("vsix: " + m); process.exit(1); };
const lang = p.contributes.languages.find((l) => l.id === "q41");
if (!lang || !lang.extensions.includes(".asm")) fail("no q41 language for .asm");
if (lang.extensions.includes(".q41")) fail("the code file claimed");
const defaults = p.contributes.configurationDefaults["[q41]"];
if (defaults["files.encoding"] !== "windows1251" || defaults["files.eol"] !== "\r\n")
  fail("the encoding or the line end is not the program files'");
const grammar = p.contributes.grammars.find((g) => g.language === "q41");
if (!grammar || grammar.path !== "./syntaxes/q41.tmLanguage.json") fail("no grammar");
require("fs").accessSync("extension/node_modules/vscode-languageclient/node.js");
if (!require("fs").readFileSync("extension/extension.js", "utf8").includes('"q41-lsp"'))
  fail("the client does not start q41-lsp");
JS
echo "vsix: $(basename "$vsix") holds the grammar, the language's defaults and the client"
