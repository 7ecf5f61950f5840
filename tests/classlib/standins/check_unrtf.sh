#!/usr/bin/env bash
# Reads the documents the tests leave (the writer's sample from test_standins, an exported
# paper from test_app) with Debian's RTF converter, a reader that is not ours, and checks
# that it finds their Chinese text, numbers included.
set -euo pipefail
dir="$1"
text_of() {
  unrtf --html "$1" 2>/dev/null |
    python3 -c 'import html, re, sys; print(html.unescape(re.sub(r"<[^>]*>", "", sys.stdin.read())))'
}
check() {
  local file="$dir/$1"
  shift
  [ -f "$file" ] || { echo "no document at $file: run the tests that write it first"; exit 1; }
  local text
  text=$(text_of "$file")
  for want in "$@"; do
    grep -qF -- "$want" <<<"$text" || { echo "$file: missing: $want"; echo "$text" | head -40; exit 1; }
  done
  echo "$file: read"
}
check writer_sample.rtf "1、题干甲" "2、题干乙"
check export_sample.rtf "资产评估师·建筑工程[1]" "一、计算题[共5题，每题20分，总计100分]" "1、计算题：" "答案：" \
  "第1题" "第5题" "试题解析："
