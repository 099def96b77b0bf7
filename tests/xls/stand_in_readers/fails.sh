#!/bin/sh
# Stand-in workbook reader: answers in good form, then ends with a failure.
printf 'XLR1S\006\000\000\000Sheet1E'
exit 3
