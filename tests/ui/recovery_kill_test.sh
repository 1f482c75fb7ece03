#!/usr/bin/env bash
# Types into the real program and kills it (SIGKILL) at random moments, then starts it again,
# restores and saves: every change older than the recovery delay must come back, and nothing
# else may change. Only a real process death shows what is on the disk when it happens.
# Usage: recovery_kill_test.sh ASM_Q41_EN   (KILLS=30, SEED=n, DELAY_MS=200 may be set)
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${Q41_KILL_TEST_DISPLAY:-}" ]; then
  [ $# -eq 1 ] && [ -x "$1" ] || { echo "usage: $0 ASM_Q41_EN" >&2; exit 2; }
  command -v xdotool >/dev/null || { echo "xdotool is missing (package xdotool)" >&2; exit 1; }
  Q41_KILL_TEST_DISPLAY=1 exec "$here/under_window_manager.sh" "$0" "$(realpath "$1")"
fi

bin=$1
kills=${KILLS:-30}
seed=${SEED:-$((($(date +%s) + $$) % 32768))}
RANDOM=$seed
delay=${DELAY_MS:-200}
margin=250  # the keys typed reach the program after xdotool returns, under load much later
work=$(mktemp -d) || exit 1
app=""
cleanup() {
  [ -n "$app" ] && kill -KILL "$app" 2>/dev/null && wait "$app" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

export XDG_STATE_HOME=$work/state Q41_RECOVERY_DELAY_MS=$delay
copies=$XDG_STATE_HOME/q41-assembler
P=$work/prog.asm
head=(";memory=COMM" "" ";Q41 assembler, v.1, 2018" "" "GLOBAL" ";Global" "" ";BLOCK 0" ";CPU"
      ";CPUaddr=0000" "")
title=" Q41 Assembler"
failures=() failed=0 pressed_again=()

letters=abcdefghijklmnopqrstuvwxyz
now() { date +%s%N; }
nap() { sleep "$(($1 / 1000)).$(printf %03d $(($1 % 1000)))"; }
die() {
  echo "FAILED (seed $seed, kill $kill): $*" >&2
  timeout 10 import -window root "${TMPDIR:-/tmp}/recovery_kill_test.png" 2>/dev/null &&
    echo "screen: ${TMPDIR:-/tmp}/recovery_kill_test.png" >&2
  sed 's/^/program: /' "$work/app.log" >&2
  echo "$((kill - 1 - failed)) passed, $((failed + 1)) failed"
  exit 1
}
# A program file whose block 0 holds the text's lines, as Save .ASM writes it.
render() {
  printf '%s\r\n' "${head[@]}"
  printf '%s' "$1" | sed 's/$/\r/'
}

# Polls the name of the window with the keyboard focus (into $name) for up to $1 seconds until
# the test holds. The window manager marks a new window active before the focus moves: keys
# sent then go astray.
focus_within() {
  local end=$((SECONDS + $1))
  shift
  while :; do
    name=$(timeout 5 xdotool getwindowfocus getwindowname 2>/dev/null) && "$@" && return 0
    ((SECONDS < end)) && kill -0 "$app" 2>/dev/null || return 1
    sleep 0.01
  done
}
until_focused() {
  focus_within 10 "${@:2}" && return 0
  die "waiting for $1, the focus is in \"${name:-}\"$(kill -0 "$app" 2>/dev/null ||
    echo ', the program has ended')"
}
# Sends the keys to the window that has the focus, again while it keeps it: under load a key
# sent the moment a dialog has just got the focus is now and then lost.
press() {
  local keys=$1 was=$name
  for _ in 1 2 3; do
    timeout 5 xdotool key --delay 0 $keys
    focus_within 3 "${@:3}" && return 0
    [ "$name" = "$was" ] || break
    pressed_again+=("kill $kill: $keys to \"$was\"")
  done
  until_focused "$2" "${@:3}"
}
is() { [ "$name" = "$1" ]; }
is_not() { [ -n "$name" ] && [ "$name" != "$1" ]; }

start() {
  "$bin" "$@" >>"$work/app.log" 2>&1 &
  app=$!
}

# Block 0's text as typed since the last save. A copy may be taken in the middle of a word, so
# what comes back is any prefix of it that holds all typed delay + margin before the kill.
text=$';asm text\n\nhlt\n'
render "$text" >"$P"
started=$(now)
kill=0
start "$P"
until_focused "the program window" is "prog.asm - $title"

restores=0
for ((kill = 1; kill <= kills; kill++)); do
  saved=$text
  before=${#failures[@]}
  words=$((RANDOM % 4 + 1))
  ends=() times=()
  for ((i = 0; i < words; i++)); do
    # Comment lines: a word that begins a mnemonic would open the completion list, whose
    # Return takes the mnemonic instead of ending the line.
    word=";"
    for ((j = RANDOM % 6 + 2; j > 0; j--)); do word+=${letters:RANDOM % 26:1}; done
    timeout 5 xdotool key --delay 0 ctrl+End type --delay 0 "$word"$'\r' || die "xdotool failed"
    text+=$word$'\n'
    ends+=("${#text}") times+=("$(now)")
    # Now and then a pause inside the burst, so that a burst outlasts the delay.
    ((RANDOM % 4 == 0)) && nap $((RANDOM % (delay / 2 + 1)))
  done
  # Killed at once, within the delay, or when all of it must be on the disk.
  case $((RANDOM % 3)) in
    1) nap $((RANDOM % (delay + margin))) ;;
    2) nap $((delay + margin + RANDOM % delay)) ;;
  esac
  killed=$(now)
  kill -KILL "$app"
  wait "$app" 2>/dev/null
  app=""
  least=${#saved}
  for ((i = 0; i < words; i++)); do
    ((killed - times[i] > (delay + margin) * 1000000)) && least=${ends[i]}
  done

  left=("$copies"/*.asm)
  [ -e "${left[0]}" ] || left=()
  if ((${#left[@]} > 1)); then
    failures+=("kill $kill: ${#left[@]} recovery copies left, one expected")
  fi
  if ((${#left[@]} == 0)); then
    # Nothing written yet: the start opens the file, which must hold all that was due.
    start "$P"
    until_focused "the program window (no copy was left)" is "prog.asm - $title"
  else
    start
    until_focused "the restore question" is "Q41"
    press Return "the restored program" is "prog.asm* - $title"
    press ctrl+s "the save dialog" is_not "prog.asm* - $title"
    press Return "the saved program" is "prog.asm - $title"
    restores=$((restores + 1))
  fi

  got=$(tail -n +$((${#head[@]} + 1)) "$P" | tr -d '\r')
  if ! difference=$(cmp "$P" <(render "$got"$'\n') 2>&1); then
    line=${difference##* }
    failures+=("kill $kill: the program file is not as Save .ASM writes its text, line $line: \
$(sed -n "${line}p" "$P" | cat -A)")
  elif [[ $text != "$got"* ]] || ((${#got} + 1 < least)); then
    failures+=("kill $kill: $(((${#left[@]})) && echo restored || echo opened) block 0 as
$(printf '%s\n' "$got" | tail -n 6 | sed 's/^/  | /')
but this was due (typed ${delay} ms + ${margin} ms before the kill):
$(printf '%s' "${text:0:least}" | tail -n 6 | sed 's/^/  | /')
and after it: $(printf '%s' "${text:least}" | tr '\n' ' ')")
  fi
  ((${#failures[@]} > before)) && failed=$((failed + 1))
  # Typing goes on from what came back.
  text=$got$'\n'
done

ms=$((($(now) - started) / 1000000))
echo "$kills kills, $restores restores compared ($((ms / 1000)).$(printf %03d $((ms % 1000))) s, seed $seed)"
for f in "${pressed_again[@]}"; do echo "pressed again: $f"; done
for f in "${failures[@]}"; do echo "FAILED $f"; done
echo "$((kills - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
