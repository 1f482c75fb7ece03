#!/usr/bin/env bash
# Runs accessibility_test.py on both interface languages under a window manager, with a
# session bus of its own and the accessibility bus on it, as a screen reader's desktop has.
# Usage: accessibility_test.sh ASM_Q41 ASM_Q41_EN
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${Q41_A11Y_DISPLAY:-}" ]; then
  [ $# -eq 2 ] && [ -x "$1" ] && [ -x "$2" ] || { echo "usage: $0 ASM_Q41 ASM_Q41_EN" >&2; exit 2; }
  for tool in xdotool dbus-run-session /usr/libexec/at-spi-bus-launcher; do
    [ -e "$tool" ] || command -v "$tool" >/dev/null ||
      { echo "$tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
  done
  /usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0")' ||
    { echo "python3-gi or gir1.2-atspi-2.0 is missing (scripts/setup.sh installs them)" >&2; exit 1; }
  Q41_A11Y_DISPLAY=1 exec "$here/under_window_manager.sh" \
    dbus-run-session -- "$0" "$(realpath "$1")" "$(realpath "$2")"
fi

status=0
/usr/bin/python3 "$here/accessibility_test.py" "$1" ru || status=1
/usr/bin/python3 "$here/accessibility_test.py" "$2" en || status=1
exit $status
