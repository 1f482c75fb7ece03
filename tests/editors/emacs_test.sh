#!/usr/bin/env bash
# q41-mode and q41-lsp under Debian's Emacs and its eglot, in batch (emacs_test.el).
# Emacs starts as a user's does (the system's start-up files, which make Debian's elpa-eglot
# known), with a home of its own.
# Usage: emacs_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(realpath "$1")
source=$(realpath "$2")
command -v emacs >/dev/null || { echo "emacs is missing (packages emacs-nox, elpa-eglot; scripts/setup.sh installs them)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# A program as the windows write one: Windows-1251, CR LF, Cyrillic comments, a fault.
printf '; \xcf\xf0\xee\xe3\xf0\xe0\xec\xec\xe0 \xf1 \xee\xf8\xe8\xe1\xea\xee\xe9\r\nmsg:    ds Hi\r\n        mov #LEN(msg), r1   ; \xe4\xeb\xe8\xed\xe0\r\n        mov r0, #5\r\n        hlt\r\n' >program.asm
# The mode compiles without a warning.
cp "$source/editors/emacs/q41-mode.el" .
HOME="$work" emacs --batch --eval '(setq byte-compile-error-on-warn t)' \
  -f batch-byte-compile q41-mode.el >compile.log 2>&1 || { cat compile.log >&2; exit 1; }
rm q41-mode.el q41-mode.elc
PATH="$build:$PATH" HOME="$work" timeout 60 emacs --batch -L "$source/editors/emacs" \
  -l "$source/tests/editors/emacs_test.el" 2>&1 | grep -v '^\(Loading\|\[eglot\]\|Flymake\)' || { echo "emacs test failed" >&2; exit 1; }
