#!/bin/sh
# Builds the help file from the pages of this folder:
#   makehelp.sh SOURCE_FOLDER WORK_FOLDER HELP_FILE
# The pages, the contents and the project are written in UTF-8 here; the help viewer reads
# a Chinese help file in code page 936, so they are converted to GBK in WORK_FOLDER and
# compiled there with chmcmd.
set -eu
src="$1"; work="$2"; out="$3"
rm -rf "$work"
mkdir -p "$work"
for f in "$src"/*.htm "$src"/*.hhc "$src"/*.hhp; do
  iconv -f UTF-8 -t GBK "$f" > "$work/$(basename "$f")"
done
(cd "$work" && chmcmd --no-html-scan --verbosity 0 xqhelp.hhp >/dev/null 2>&1)
test -s "$work/xqhelp.chm"
cp "$work/xqhelp.chm" "$out"
