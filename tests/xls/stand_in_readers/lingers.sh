#!/bin/sh
# Stand-in workbook reader: closes its output without an answer, then never
# ends.
exec >&- 2>&-
exec sleep 3600
