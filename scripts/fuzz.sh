#!/usr/bin/env bash
# Runs each fuzz target (or those named after the seconds) for the given seconds from a seed
# corpus, then prints what it did.
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=$2
shift 2
targets=${*:-translator_fuzz program_file_fuzz compile_all_fuzz language_fuzz lsp_fuzz}
root=$(cd "$(dirname "$0")/.." && pwd)

for target in $targets; do
  corpus=$build/corpus/$target
  mkdir -p "$corpus"
  # Seeds: every example and test input; the translator's first byte picks its options.
  for f in "$root"/examples/*.asm "$root"/tests/data/*/input.asm; do
    name=$(basename "$(dirname "$f")")-$(basename "$f")
    if [ "$target" = translator_fuzz ]; then
      { printf '\003'; cat "$f"; } > "$corpus/seed-$name"
    else
      cp "$f" "$corpus/seed-$name"
    fi
  done
  echo "== $target: $seconds s"
  (cd "$build" && "./fuzz/$target" -max_total_time="$seconds" -dict="$root/fuzz/q41.dict" \
     -max_len=4096 -timeout=10 -print_final_stats=1 "$corpus" 2>&1 |
     grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss|.*ERROR|.*Test unit written)' || true)
  if compgen -G "$build/crash-*" >/dev/null || compgen -G "$build/timeout-*" >/dev/null; then
    echo "Findings in $build: $(ls "$build"/crash-* "$build"/timeout-* 2>/dev/null)"
    exit 1
  fi
done
