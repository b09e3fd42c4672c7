#!/bin/sh
# check_tool_links.sh PROGRAM...
# Fails when a program loads Qt Widgets or Qt Gui, directly or through another
# library (ldd lists the whole closure), or when no program was given.
[ $# -gt 0 ] || { echo "no programs to check"; exit 1; }
status=0
for program in "$@"; do
  libs=$(ldd "$program") || { echo "$program: ldd failed"; status=1; continue; }
  bad=$(printf '%s\n' "$libs" | grep -o 'libQt6\(Widgets\|Gui\)[^ ]*' | sort -u | tr '\n' ' ')
  if [ -n "$bad" ]; then
    echo "$(basename "$program") loads: $bad"
    status=1
  else
    echo "$(basename "$program"): $(printf '%s\n' "$libs" | grep -o 'libQt6[A-Za-z]*' | sort -u | tr '\n' ' ')"
  fi
done
exit $status
