#!/usr/bin/env bash
# Two real instances of the program on one program file, driven by keys under a real window
# manager: each one's save must reach the other when the user comes back to it, a change on
# the disk is never written over without asking, and only the program with the activation
# takes the keys. Usage: two_instances_test.sh ASM_Q41_EN
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${Q41_TWO_TEST_DISPLAY:-}" ]; then
  [ $# -eq 1 ] && [ -x "$1" ] || { echo "usage: $0 ASM_Q41_EN" >&2; exit 2; }
  command -v xdotool >/dev/null || { echo "xdotool is missing (package xdotool)" >&2; exit 1; }
  Q41_TWO_TEST_DISPLAY=1 exec "$here/under_window_manager.sh" "$0" "$(realpath "$1")"
fi

bin=$1
work=$(mktemp -d) || exit 1
A="" B=""
cleanup() {
  for p in $A $B; do kill -KILL "$p" 2>/dev/null && wait "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
export XDG_STATE_HOME=$work/state
P=$work/prog.asm
title="prog.asm -  Q41 Assembler"
changed="prog.asm* -  Q41 Assembler"
step=""

die() {
  echo "FAILED at \"$step\": $*" >&2
  timeout 10 import -window root "${TMPDIR:-/tmp}/two_instances_test.png" 2>/dev/null &&
    echo "screen: ${TMPDIR:-/tmp}/two_instances_test.png" >&2
  echo "file:" >&2
  tr -d '\r' <"$P" | sed 's/^/  | /' >&2
  sed 's/^/program: /' "$work"/*.log >&2
  exit 1
}
# The window with the keyboard focus: its name ($name) and its program's process ($pid).
focused() {
  local id
  id=$(timeout 5 xdotool getwindowfocus 2>/dev/null) || { name="" pid=""; return; }
  name=$(timeout 5 xdotool getwindowname "$id" 2>/dev/null)
  pid=$(timeout 5 xdotool getwindowpid "$id" 2>/dev/null)
}
# Waits up to ten seconds until the focus is in a window of process $1 named $2 (with "!"
# before the name: named otherwise).
focus_in() {
  for _ in $(seq 500); do
    focused
    if [ "$pid" = "$1" ]; then
      case $2 in
        !*) [ -n "$name" ] && [ "$name" != "${2#!}" ] && return 0 ;;
        *) [ "$name" = "$2" ] && return 0 ;;
      esac
    fi
    sleep 0.02
  done
  die "the focus is in \"$name\" of process ${pid:-none}, not in \"$2\" of $1"
}
# The windows on screen of process $1, one "ID NAME" a line.
windows_of() {
  local w
  for w in $(timeout 5 xdotool search --onlyvisible --pid "$1" --name '.' 2>/dev/null); do
    [ "$(timeout 5 xdotool getwindowpid "$w" 2>/dev/null)" = "$1" ] &&
      echo "$w $(timeout 5 xdotool getwindowname "$w" 2>/dev/null)"
  done
}
main_window() { windows_of "$1" | grep ' Q41 Assembler$' | head -n1 | cut -d' ' -f1; }
# The user clicks into the main window of process $1 and waits a moment for it to settle.
come_back_to() {
  timeout 5 xdotool windowactivate --sync "$(main_window "$1")" 2>/dev/null
  sleep 0.5
}
keys() { timeout 5 xdotool key --delay 20 "$@" || die "xdotool failed"; }
type_line() { keys ctrl+End && timeout 5 xdotool type --delay 20 "$1" && keys Return; }
file_has() { tr -d '\r' <"$P" | grep -qx "$1"; }

printf '%s\r\n' ";memory=COMM" "" ";BLOCK 0" ";CPU" ";CPUaddr=0000" "" ";asm text" "" "hlt" >"$P"
"$bin" "$P" >"$work/a.log" 2>&1 &
A=$!
focus_in "$A" "$title"
"$bin" "$P" >"$work/b.log" 2>&1 &
B=$!
focus_in "$B" "$title"

box="Q41"  # the title of the program's message boxes

step="A saves a line; B, with nothing unsaved, reads it when the user comes back to it"
come_back_to "$A"
type_line "fromA: nop"
focus_in "$A" "$changed"
b_windows=$(windows_of "$B")
keys ctrl+s
focus_in "$A" "!$changed"  # the save dialog, the file's name in it
keys Return
focus_in "$A" "$title"
file_has "fromA: nop" || die "A's line is not in the file"
now=$(windows_of "$B")
[ "$now" = "$b_windows" ] || die "B opened a window for A's keys: $b_windows -> $now"
come_back_to "$B"
focus_in "$B" "$title"

step="B adds a line to A's and saves: no question, both lines kept"
type_line "fromB: nop"
focus_in "$B" "$changed"
keys ctrl+s
focus_in "$B" "!$changed"
keys Return
focus_in "$B" "$title"
file_has "fromA: nop" && file_has "fromB: nop" || die "B's save lost a line"

step="A, with unsaved work, is asked once: Keep mine"
come_back_to "$A"
type_line "moreA: nop"
focus_in "$A" "$changed"
come_back_to "$B"
type_line "moreB: nop"
keys ctrl+s
focus_in "$B" "!$changed"
keys Return
focus_in "$B" "$title"
come_back_to "$A"
focus_in "$A" "$box"
keys Return  # Keep mine, the default
focus_in "$A" "$changed"
come_back_to "$B"
come_back_to "$A"
focus_in "$A" "$changed"  # not asked again for the same change

step="A saves over B's change: asked; Cancel writes nothing"
keys ctrl+s
focus_in "$A" "!$changed"
keys Return
focus_in "$A" "$box"
keys Escape
focus_in "$A" "$changed"
file_has "moreB: nop" && ! file_has "moreA: nop" || die "Cancel wrote the file"

step="A saves over B's change: Overwrite"
keys ctrl+s
focus_in "$A" "!$changed"
keys Return
focus_in "$A" "$box"
keys alt+o
focus_in "$A" "$title"
file_has "moreA: nop" && ! file_has "moreB: nop" || die "Overwrite did not write A's program"

step="B reads what A wrote over its change; each save reaches the other"
come_back_to "$B"
focus_in "$B" "$title"
file_has "moreA: nop" || die "the file changed"
type_line "lastB: nop"
come_back_to "$A"
come_back_to "$B"
focus_in "$B" "$changed"
keys ctrl+s
focus_in "$B" "!$changed"
keys Return
focus_in "$B" "$title"
come_back_to "$A"
focus_in "$A" "$title"  # read again at once: nothing unsaved
keys ctrl+End
type_line "endA: nop"
keys ctrl+s
focus_in "$A" "!$changed"
keys Return
focus_in "$A" "$title"
file_has "lastB: nop" && file_has "endA: nop" && file_has "fromA: nop" ||
  die "a line saved by one instance was lost by the other"
echo "two instances: every save reached the other, nothing was written over unasked"
