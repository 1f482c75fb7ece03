#!/usr/bin/env bash
# Packs the VS Code extension: editors/vscode with the grammar generated from the instruction
# table, its one runtime dependency (the language client) from npm's lock file, made into
# BUILD/q41-assembler-VERSION.vsix by npm's @vscode/vsce, which scripts/setup.sh installs.
# Usage: vsix.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "$1")
here="$root/editors/vscode"
[ -x "$here/node_modules/.bin/vsce" ] ||
  { echo "vsce is missing: scripts/setup.sh installs it (npm ci in editors/vscode)" >&2; exit 1; }
[ -s "$build/q41.tmLanguage.json" ] || { echo "no grammar in $build: build first" >&2; exit 1; }
stage="$build/vscode"
rm -rf "$stage"
mkdir -p "$stage/syntaxes"
cp "$here/package.json" "$here/package-lock.json" "$here/extension.js" \
  "$here/language-configuration.json" "$here/.vscodeignore" "$here/README.md" "$stage/"
cp "$build/q41.tmLanguage.json" "$stage/syntaxes/"
# The cache of the set-up's install serves, so that a machine without a network packs too.
(cd "$stage" && npm ci --omit=dev --prefer-offline --no-audit --no-fund --loglevel=error >/dev/null)
version=$(node -p "require('$stage/package.json').version")
(cd "$stage" && "$here/node_modules/.bin/vsce" package --skip-license --allow-missing-repository \
  -o "$build/q41-assembler-$version.vsix" >/dev/null)
echo "$build/q41-assembler-$version.vsix"
