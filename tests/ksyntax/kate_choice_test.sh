#!/usr/bin/env bash
# Kate's choice of definition, as kate-syntax-highlighter makes it from a file's name alone:
# with the definition where the package puts it (a system data folder's
# org.kde.syntax-highlighting/syntax), a program file (.asm, .ASM) gets the Q41 definition and
# not one of the other assemblers' that claim the name too; a code file (.q41) is no source
# and gets no Q41 colouring. Usage: kate_choice_test.sh Q41.XML SOURCE_DIR
set -euo pipefail
xml=$(realpath "$1")
source=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/share/org.kde.syntax-highlighting/syntax"
cp "$xml" "$work/share/org.kde.syntax-highlighting/syntax/"
cd "$work"
highlight() {
  XDG_DATA_DIRS="$work/share:/usr/share" XDG_DATA_HOME="$work/home" XDG_CONFIG_HOME="$work/home" \
    kate-syntax-highlighter -f ansi "$@" 2>/dev/null
}
for name in program.asm PROGRAM.ASM; do
  cp "$source/examples/blocks.asm" "$name"
  [ "$(highlight "$name")" = "$(highlight -s 'Q41 Assembler' "$name")" ] ||
    { echo "Kate chose another definition for $name" >&2; exit 1; }
done
cp "$source/examples/blocks.asm" code.q41
[ "$(highlight code.q41)" != "$(highlight -s 'Q41 Assembler' code.q41)" ] ||
  { echo "the Q41 definition claims the code file" >&2; exit 1; }
echo "kate: the Q41 definition chosen for .asm and .ASM, none for .q41"
