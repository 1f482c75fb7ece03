#!/usr/bin/env bash
# The Debian package, made from this build and taken apart in a temporary folder (nothing is
# installed on the machine): every file in its place, menu entries that validate, lintian
# without an error, the command-line assembler assembling the examples as the build's own
# does, and both windowed programs starting and staying up.
#   package_test.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build=$1
source=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

if ! (cd "$build" && cpack -G DEB -B "$tmp/out" >"$tmp/cpack.log" 2>&1); then
  cat "$tmp/cpack.log"
  echo "FAIL: cpack"
  exit 1
fi
deb=$(ls "$tmp"/out/q41-assembler_*.deb)
root=$tmp/root
dpkg-deb -x "$deb" "$root"

doc=usr/share/doc/q41-assembler
files=(usr/bin/asm_Q41 usr/bin/asm_Q41-en usr/bin/q41asm usr/bin/q41-lsp
       usr/share/applications/q41-assembler.desktop usr/share/applications/q41-assembler-en.desktop
       usr/share/icons/hicolor/scalable/apps/q41-assembler.svg
       usr/share/man/man1/q41asm.1.gz usr/share/man/man1/q41-lsp.1.gz
       usr/share/man/man1/asm_Q41.1.gz usr/share/man/man1/asm_Q41-en.1.gz
       "$doc/README.md" "$doc/copyright" "$doc/changelog.gz"
       usr/share/org.kde.syntax-highlighting/syntax/q41.xml
       usr/share/nvim/site/pack/q41/start/q41/ftdetect/q41.vim
       usr/share/nvim/site/pack/q41/start/q41/ftplugin/q41.lua
       usr/share/nvim/site/pack/q41/start/q41/compiler/q41asm.vim
       usr/share/vim/vimfiles/ftdetect/q41.vim usr/share/vim/vimfiles/compiler/q41asm.vim
       usr/share/emacs/site-lisp/q41-mode.el)
for size in 16 22 24 32 48 64 128 256; do
  files+=("usr/share/icons/hicolor/${size}x${size}/apps/q41-assembler.png")
done
for example in "$source"/examples/*.asm; do files+=("$doc/examples/$(basename "$example")"); done
for f in "${files[@]}"; do
  [ -s "$root/$f" ] || fail "missing: /$f"
done
for program in asm_Q41 asm_Q41-en q41asm q41-lsp; do
  [ -x "$root/usr/bin/$program" ] || fail "not executable: $program"
done

# The menu entries: valid, named in their language, starting their program with no file.
apps=$root/usr/share/applications
desktop-file-validate "$apps/q41-assembler.desktop" "$apps/q41-assembler-en.desktop" \
  >"$tmp/validate.log" 2>&1 || { cat "$tmp/validate.log"; fail "desktop-file-validate"; }
grep -v ': hint: ' "$tmp/validate.log" | grep . && fail "desktop-file-validate complains"
grep -qx 'Name=Ассемблер Q41' "$apps/q41-assembler.desktop" || fail "Russian entry's name"
grep -qx 'Name=Q41 assembler' "$apps/q41-assembler-en.desktop" || fail "English entry's name"
grep -qx 'Exec=asm_Q41 %f' "$apps/q41-assembler.desktop" || fail "Russian entry's command"
grep -qx 'Exec=asm_Q41-en %f' "$apps/q41-assembler-en.desktop" || fail "English entry's command"
for entry in "$apps"/q41-assembler*.desktop; do
  grep -qx 'MimeType=text/x-asm;' "$entry" || fail "$entry offers no assembler source type"
done
grep -qx 'Categories=Development;Education;' "$apps/q41-assembler.desktop" || fail "categories"

# What the package needs: the libraries, worked out from its binaries, and the toolkit's
# translations, which the Russian program loads.
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libqt6widgets6 libqt6gui6 libqt6core6 libqt6printsupport6 qt6-translations-l10n; do
  grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done

# The syntax definition is the build's, and the editors' engine finds it where it was put
# (the packaged tree standing for /usr/share), loads it without a warning and uses it.
definition=usr/share/org.kde.syntax-highlighting/syntax/q41.xml
cmp -s "$root/$definition" "$build/q41.xml" || fail "/$definition is not the build's"
XDG_DATA_HOME="$tmp/none" XDG_DATA_DIRS="$root/usr/share" kate-syntax-highlighter -f html \
  -s "Q41 Assembler" "$root/$doc/examples/hello.asm" >"$tmp/hello.html" 2>"$tmp/highlight.log" ||
  fail "kate-syntax-highlighter failed on hello.asm"
[ -s "$tmp/highlight.log" ] && { cat "$tmp/highlight.log"; fail "the syntax definition loads with warnings"; }
grep -q 'Definition (Q41 Assembler)' "$tmp/hello.html" || fail "the syntax definition is not found"

# The editors find their set-ups where the package puts them (the packaged tree standing for
# /usr/share): a program file opens as Q41, read as Windows-1251 with CR LF.
printf '; \xcf\xf0\xee\xe1\xe0\r\n  hlt\r\n' >"$tmp/program.asm"
nvim --headless -u NONE -i NONE -n --cmd "set packpath^=$root/usr/share/nvim/site" \
  --cmd 'packloadall' -c 'filetype plugin on' -c "edit $tmp/program.asm" \
  -c "call writefile([&filetype, &fileencoding, &fileformat, getline(1)], '$tmp/nvim.txt')" \
  -c 'qall!' </dev/null >/dev/null 2>&1
[ "$(tr '\n' ' ' <"$tmp/nvim.txt")" = "q41 cp1251 dos ; Проба " ] ||
  fail "Neovim read the program as: $(cat "$tmp/nvim.txt")"
HOME="$tmp" emacs --batch -L "$root/usr/share/emacs/site-lisp" --eval "(require 'q41-mode)" \
  --eval "(progn (find-file \"$tmp/program.asm\") (princ (format \"%s %s\" major-mode buffer-file-coding-system)))" \
  >"$tmp/emacs.txt" 2>/dev/null
[ "$(cat "$tmp/emacs.txt")" = "q41-mode windows-1251-dos" ] ||
  fail "Emacs read the program as: $(cat "$tmp/emacs.txt")"

# lintian: no error.
if command -v lintian >/dev/null; then
  lintian --tag-display-limit 0 "$deb" >"$tmp/lintian.log" 2>&1
  cat "$tmp/lintian.log"
  grep -q '^E: ' "$tmp/lintian.log" && fail "lintian errors"
else
  fail "lintian is not installed"
fi

# The manual pages read without a warning.
for page in q41asm q41-lsp; do
  man -l --warnings "$root/usr/share/man/man1/$page.1.gz" >/dev/null 2>"$tmp/man.log"
  [ -s "$tmp/man.log" ] && { cat "$tmp/man.log"; fail "manual page warnings: $page"; }
done

# The packaged language server answers a client's first request and ends at its exit.
lsp_message() { printf 'Content-Length: %d\r\n\r\n%s' "${#1}" "$1"; }
{ lsp_message '{"jsonrpc":"2.0","id":1,"method":"initialize","params":{}}'
  lsp_message '{"jsonrpc":"2.0","id":2,"method":"shutdown"}'
  lsp_message '{"jsonrpc":"2.0","method":"exit"}'; } |
  timeout 10 "$root/usr/bin/q41-lsp" >"$tmp/lsp.out" || fail "q41-lsp did not end well"
grep -q '"semanticTokensProvider"' "$tmp/lsp.out" || fail "q41-lsp did not answer initialize"

# The packaged q41asm assembles the examples exactly as the build's does.
assembled=0
for example in "$root/$doc"/examples/*.asm; do
  "$root/usr/bin/q41asm" --lang en "$example" >"$tmp/packaged" 2>&1
  packaged=$?
  "$build/q41asm" --lang en "$example" >"$tmp/built" 2>&1
  built=$?
  [ "$packaged" = "$built" ] && cmp -s "$tmp/packaged" "$tmp/built" ||
    fail "q41asm differs on $(basename "$example")"
  [ "$packaged" = 0 ] && assembled=$((assembled + 1))
done
[ "$assembled" -ge 2 ] || fail "only $assembled examples assembled"

# Both windowed programs start and are still up after two seconds.
for program in asm_Q41 asm_Q41-en; do
  QT_QPA_PLATFORM=offscreen timeout 2 "$root/usr/bin/$program" >"$tmp/run.log" 2>&1
  status=$?
  [ "$status" = 124 ] || { cat "$tmp/run.log"; fail "$program ended with status $status"; }
done

echo "package: $(basename "$deb"), $(dpkg-deb -c "$deb" | wc -l) entries, $failures failures"
[ "$failures" = 0 ]
