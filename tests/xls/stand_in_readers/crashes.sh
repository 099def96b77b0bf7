#!/bin/sh
# Stand-in workbook reader: says why at length on its standard error, more
# than a pipe holds, then crashes.
echo "stand-in reader: cell table broken" >&2
head -c 1000000 /dev/zero >&2
kill -SEGV $$
