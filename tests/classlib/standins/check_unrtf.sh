#!/usr/bin/env bash
# Reads the document writer's sample (left by test_standins) with Debian's RTF converter,
# a reader that is not ours, and checks that it finds the document's Chinese text.
set -euo pipefail
file="$1/writer_sample.rtf"
[ -f "$file" ] || { echo "no sample at $file: run test_standins first"; exit 1; }
text=$(unrtf --html "$file" 2>/dev/null |
  python3 -c 'import html, re, sys; print(html.unescape(re.sub(r"<[^>]*>", "", sys.stdin.read())))')
for want in "1、题干甲" "2、题干乙"; do
  grep -qF "$want" <<<"$text" || { echo "missing: $want"; echo "$text"; exit 1; }
done
echo "unrtf reads the sample"
