#!/bin/sh
# Stand-in workbook reader: never answers and never ends.
exec sleep 3600
