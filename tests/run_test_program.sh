#!/usr/bin/env bash
# Runs one test program (the command and its arguments, the emulator first) and passes its
# exit code on. CTest ignores the exit code of a test that must print a summary line, so a
# non-zero code is also printed as a line the test's failure expression matches.
"$@"
code=$?
if [ "$code" -ne 0 ]; then
  echo "test program ended with exit code $code"
fi
exit "$code"
