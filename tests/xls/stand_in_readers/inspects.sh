#!/bin/sh
# Stand-in workbook reader: answers with one empty sheet, "inspected", only
# when it was started as the reader must be: no signal blocked or ignored, not
# the descriptor named by $STAND_IN_INHERITED, a compound file on standard
# input. Otherwise it says what was wrong and fails.
blocked=
ignored=
# Read by the shell itself: a child would see the mask the shell keeps while
# waiting for it.
while read -r key value; do
  case "$key" in
    SigBlk:) blocked=$value ;;
    SigIgn:) ignored=$value ;;
  esac
done < /proc/$$/status
# Signals 32 and 33 are the C library's own: it starts every child with them
# ignored, and no program can use them.
if [ $((0x$blocked)) -ne 0 ] || [ $((0x$ignored & ~0x180000000)) -ne 0 ]; then
  echo "stand-in reader: started with signals blocked ($blocked) or ignored ($ignored)" >&2
  exit 4
fi
if [ -n "${STAND_IN_INHERITED:-}" ] && [ -e "/proc/$$/fd/$STAND_IN_INHERITED" ]; then
  echo "stand-in reader: inherited descriptor $STAND_IN_INHERITED" >&2
  exit 5
fi
magic=$(head -c 8 | od -An -tx1 | tr -d ' \n')
if [ "$magic" != d0cf11e0a1b11ae1 ]; then
  echo "stand-in reader: no compound file on standard input ($magic)" >&2
  exit 6
fi
printf 'XLR1S\011\000\000\000inspectedE'
