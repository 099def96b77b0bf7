#!/bin/sh
# Stand-in workbook reader: answers with random bytes and ends well.
head -c 100000 /dev/urandom
