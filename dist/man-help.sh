#!/bin/sh
# Stands in for the program $QUORVANE_PROGRAM when help2man asks it for --help
# or --version. help2man reads the "Usage:" line and the "or:" lines after it
# as the synopsis, so each synopsis' continuation lines are joined onto it and
# the further synopses (indented, starting with the program's name) become
# "or:" lines rather than part of the description.
"$QUORVANE_PROGRAM" "$@" | awk '
    function flush() { if (line != "") print line; line = "" }
    /^Usage: / && !done {
        program = $2
        line = $0
        while ((getline next_line) > 0) {
            if (next_line ~ /^ +[[(]/) {
                sub(/^ +/, " ", next_line)
                line = line next_line
            } else if (next_line ~ ("^ +" program " ")) {
                flush()
                sub(/^ +/, "  or: ", next_line)
                line = next_line
            } else {
                break
            }
        }
        flush()
        done = 1
        print next_line
        next
    }
    { print }'
