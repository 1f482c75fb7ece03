#!/usr/bin/env bash
# The language server under a real client: Neovim, headless, asks what an editor asks about
# each program, and every answer is compared with the expected one. Q41_LSP_BLESS=1 writes
# the expected answers instead (to be read before they are committed).
# Usage: nvim_test.sh SERVER SOURCE_DIR
set -euo pipefail
server=$1
source=$(realpath "$2")
here="$source/tests/lsp"
command -v nvim >/dev/null || { echo "nvim is missing (package neovim; scripts/setup.sh installs it)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The command line: help and version, and an option it does not know refused with a message.
"$server" --help | grep -q '^Usage: q41-lsp' || { echo "q41-lsp --help says no usage" >&2; exit 1; }
"$server" --version | grep -q '^q41-lsp [0-9]' || { echo "q41-lsp --version" >&2; exit 1; }
if "$server" --lang en --stdio </dev/null 2>"$work/err"; then
  echo "q41-lsp took an unknown option" >&2; exit 1
fi
grep -q 'unknown option: --stdio' "$work/err" || { echo "q41-lsp refused silently" >&2; exit 1; }
requests=0
compared=0
for name in blocks failing; do
  out="$work/$name.json"
  Q41_LSP="$server" Q41_LSP_FILE="$source/examples/$name.asm" Q41_LSP_OUT="$out" \
    Q41_LSP_REQUESTS="$here/$name.lua" HOME="$work" XDG_CONFIG_HOME="$work" XDG_DATA_HOME="$work" \
    XDG_STATE_HOME="$work" timeout 60 nvim --headless -u NONE -i NONE -n \
    -c "luafile $here/nvim_client.lua" </dev/null
  [ -s "$out" ] || { echo "no answers for $name" >&2; exit 1; }
  # The answers name the file by where the sources are: the expected ones by a stand-in.
  sed -i "s|file://$source/examples/|file:///EXAMPLES/|g" "$out"
  if [ "${Q41_LSP_BLESS:-}" = 1 ]; then
    python3 -m json.tool --sort-keys "$out" >"$here/expected/$name.json"
  fi
  counts=$(python3 - "$out" "$here/expected/$name.json" <<'PY'
import json, sys
got = json.load(open(sys.argv[1]))
want = json.load(open(sys.argv[2]))
bad = [k for k in sorted(set(got) | set(want)) if got.get(k) != want.get(k)]
for k in bad:
    print(f"{k}: got {json.dumps(got.get(k))[:400]}\n  expected {json.dumps(want.get(k))[:400]}",
          file=sys.stderr)
print(got.get("requests", 0), len(set(got) | set(want)) - len(bad))
sys.exit(1 if bad else 0)
PY
  ) || { echo "answers for $name differ" >&2; exit 1; }
  read -r made same <<<"$counts"
  requests=$((requests + made))
  compared=$((compared + same))
done
echo "neovim: $requests requests made, $compared answers compared"
