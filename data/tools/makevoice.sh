#!/bin/sh
# Speaks the listening scripts that makebank wrote ("@<id>.txt") and encodes each as
# "@<id>.mp3", the passage files of the listening questions.
# usage: makevoice.sh SCRIPT_FOLDER VOICE_FOLDER
# Script lines: "W: " a woman speaks, "M: " a man speaks, "Q: " the question, "N: " or any
# other line the narrator. Needs espeak-ng and lame (installed by scripts/setup).
set -eu
scripts=$1
voice=$2
mkdir -p "$voice"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Removes passages whose scripts are gone.
for mp3 in "$voice"/@*.mp3; do
  [ -e "$mp3" ] || continue
  name=$(basename "$mp3" .mp3)
  [ -e "$scripts/$name.txt" ] || rm -f "$mp3"
done

for script in "$scripts"/@*.txt; do
  [ -e "$script" ] || continue
  name=$(basename "$script" .txt)
  {
    printf '<speak>'
    sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' "$script" | while IFS= read -r line; do
      case "$line" in
        "W: "*) printf '<voice name="en-us+f3">%s</voice><break time="600ms"/>' "${line#W: }" ;;
        "M: "*) printf '<voice name="en-us+m3">%s</voice><break time="600ms"/>' "${line#M: }" ;;
        "Q: "*) printf '<break time="900ms"/><voice name="en-us+m1">%s</voice><break time="600ms"/>' "${line#Q: }" ;;
        "N: "*) printf '<voice name="en-us+m1">%s</voice><break time="500ms"/>' "${line#N: }" ;;
        "") ;;
        *) printf '<voice name="en-us+m1">%s</voice><break time="500ms"/>' "$line" ;;
      esac
    done
    printf '</speak>\n'
  } > "$work/speech.xml"
  espeak-ng -m -v en-us -s 140 -f "$work/speech.xml" -w "$work/speech.wav"
  lame --quiet -m m -b 32 "$work/speech.wav" "$voice/$name.mp3"
done
