#!/usr/bin/env bash
# The tool's faults and warnings as editors read a compiler's: Neovim's quickfix list with its
# default error format, and the regular expression of the gcc problem matcher that VS Code's
# C/C++ tools use; and the Neovim plugin's compiler (the column as a screen column) landing on
# the offending text after a tab and after Cyrillic text, in the file read as Windows-1251.
# Usage: quickfix_test.sh Q41ASM SOURCE_DIR
set -euo pipefail
q41asm=$(realpath "$1")
source=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$source/examples/failing.asm" "$source/tests/data/warnings/input.asm" .
{ "$q41asm" --lang en input.asm >/dev/null || true; "$q41asm" --lang en failing.asm >/dev/null || true; } 2>report.txt
cat report.txt
# file, line, column (0 for none), type: what each reader must find, in order.
expected='input.asm 2 0 w
input.asm 3 0 w
input.asm 1 0 w
failing.asm 14 17 e'
# Neovim's default format tells no type: file, line and column.
nvim --headless -u NONE -i NONE -n -c 'silent cfile report.txt' \
  -c 'lua local f = io.open("nvim.txt", "w") for _, e in ipairs(vim.fn.getqflist()) do if e.valid == 1 then f:write(vim.fn.bufname(e.bufnr), " ", e.lnum, " ", e.col, "\n") end end f:close()' \
  -c 'qall!' </dev/null >/dev/null 2>&1
diff <(cut -d' ' -f1-3 <<<"$expected") nvim.txt || { echo "Neovim's quickfix read it otherwise" >&2; exit 1; }
python3 - report.txt "$expected" <<'PY'
import re, sys
gcc = re.compile(r"^(.*?):(\d+):(\d*):?\s+(?:fatal\s+)?(warning|error):\s+(.*)$")
found = []
for line in open(sys.argv[1]):
    m = gcc.match(line.rstrip("\n"))
    if m:
        found.append(f"{m[1]} {m[2]} {m[3] or 0} {m[4][0]}")
if found != sys.argv[2].split("\n"):
    sys.exit(f"the gcc problem matcher read: {found}")
PY
echo "quickfix: Neovim and the gcc problem matcher read $(echo "$expected" | wc -l) places each"
# The plugin's :make: the cursor on the first character the fault quotes.
printf "  mov #'\t', #5\r\n  hlt\r\n" >tab.asm
printf "  mov #'\xc6', #5 ; \xea\xee\xec\xec\xe5\xed\xf2\xe0\xf0\xe8\xe9\r\n  hlt\r\n" >cyrillic.asm
for f in tab.asm cyrillic.asm; do
  rm -f landed.txt
  PATH="$(dirname "$q41asm"):$PATH" HOME="$work" XDG_STATE_HOME="$work" XDG_CACHE_HOME="$work" nvim --headless -u NONE -i NONE -n \
    --cmd "set rtp^=$source/editors/nvim" -c 'filetype plugin on' -c "edit $f" -c 'silent make' \
    -c 'cfirst' -c 'lua vim.wait(5000, function() return #vim.lsp.buf_get_clients() > 0 end, 20)' \
    -c 'call writefile([&fileencoding, &fileformat, &filetype, getline(".")[col(".") - 1 : col(".")], luaeval("#vim.lsp.buf_get_clients()")], "landed.txt")' \
    -c 'qall!' </dev/null >/dev/null 2>&1 || true
  landed=$(tr '\n' ' ' <landed.txt 2>/dev/null || true)
  [ "$landed" = "cp1251 dos q41 #5 1 " ] ||
    { echo "Neovim's :make on $f landed on: $landed" >&2; exit 1; }
done
echo "quickfix: the Neovim plugin's :make lands on the fault after a tab and after Cyrillic text, with q41-lsp attached"
