#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need, when missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build make ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  binutils
  qt6-base-dev qt6-translations-l10n fonts-liberation xvfb xauth poppler-utils
  openbox x11-utils xdotool libxcb1-dev
  dbus at-spi2-core python3-gi gir1.2-atspi-2.0
  dpkg-dev lintian desktop-file-utils librsvg2-bin man-db
  clang libclang-rt-14-dev
  nlohmann-json3-dev neovim emacs-nox elpa-eglot
  libkf5syntaxhighlighting-tools
  emscripten chromium
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
# Node.js and npm from Debian unless a node of another source, which brings its own npm, is
# installed (Debian's npm would conflict with it).
command -v node >/dev/null || missing+=(nodejs)
command -v npm >/dev/null || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The npm packages as their lock files pin them: the VS Code extension's and its tests'
# (vscode-textmate, vscode-oniguruma, @vscode/vsce, the language client), and the page's
# (the editor, its language client, the bundler, and playwright-core, which drives Debian's
# chromium in the tests and downloads no browser).
root="$(cd "$(dirname "$0")/.." && pwd)"
for dir in editors/vscode web; do
  [ -f "$root/$dir/package-lock.json" ] || continue
  if [ ! -f "$root/$dir/node_modules/.package-lock.json" ] ||
     [ "$root/$dir/package-lock.json" -nt "$root/$dir/node_modules/.package-lock.json" ]; then
    echo "Installing the npm packages of $dir"
    (cd "$root/$dir" && npm ci --no-audit --no-fund --loglevel=error)
  fi
done
