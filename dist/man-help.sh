#!/bin/sh
# Stands in for quorvane-batch ($QUORVANE_BATCH) when help2man asks it for
# --help or --version. help2man reads only the "Usage:" line as the synopsis,
# so the synopsis' continuation lines are joined onto it.
"$QUORVANE_BATCH" "$@" | awk '
    /^Usage:/ {
        line = $0
        while ((getline next_line) > 0 && next_line ~ /^ +[[(]/) {
            sub(/^ +/, " ", next_line)
            line = line next_line
        }
        print line
        print next_line
        next
    }
    { print }'
