#!/usr/bin/env bash
# Runs a command on a virtual X display managed by openbox, so that the windows get real
# frames: Qt's offscreen platform has no window manager, and a frame that the manager adds
# after the window is mapped is exactly what the offscreen tests cannot see.
# Usage: under_window_manager.sh COMMAND [ARGS...]
set -uo pipefail

fail() {
  echo "under_window_manager: $*" >&2
  exit 1
}

[ $# -gt 0 ] || fail "no command to run"
command -v Xvfb >/dev/null || fail "Xvfb is missing (package xvfb; scripts/setup.sh installs it)"
command -v openbox >/dev/null || fail "openbox is missing (package openbox; scripts/setup.sh installs it)"
command -v xprop >/dev/null || fail "xprop is missing (package x11-utils; scripts/setup.sh installs it)"

work=$(mktemp -d) || fail "no temporary folder"
xvfb_pid=""
wm_pid=""
cleanup() {
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null && wait "$wm_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display number itself and reports it: no race with other servers
# started at the same time (ctest runs tests in parallel).
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" \
  >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || break
  sleep 0.1
done
[ -s "$work/display" ] || { cat "$work/xvfb.log" >&2; fail "Xvfb did not start"; }
export DISPLAY=":$(head -n1 "$work/display")"

# A private configuration folder: the user's own openbox settings must not change the frame.
XDG_CONFIG_HOME="$work/config" openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
# The manager is up once it has claimed the screen with its check window.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  kill -0 "$wm_pid" 2>/dev/null || break
  sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' ||
  { cat "$work/openbox.log" >&2; fail "openbox did not start on $DISPLAY"; }

export QT_QPA_PLATFORM=xcb
# The toolkit keeps what its file dialogs were left like (folder, columns) in the user's
# settings: each run starts afresh, and the user's own are not touched.
export XDG_CONFIG_HOME="$work/config"
"$@"
