#!/bin/sh
# Plays two scenarios at the same time in one working folder, as two
# quorvel-host processes, and passes when both pass. The scenarios take turns
# through files of the folder: one writes a file (file NAME ""), the other
# waits for it (wait-for NAME).
#
# two_hosts.sh HOST MODULE DIR SEED FIRST SECOND
#   DIR is emptied first; the first process seeds it from SEED ("none" for
#   nothing), the second uses it as it is. Their transcripts go to DIR.first.log
#   and DIR.second.log.
host=$1 module=$2 dir=$3 seed=$4 first=$5 second=$6

rm -rf "$dir" && mkdir -p "$dir" || exit 1
"$host" -m "$module" -d "$dir" --seed "$seed" "$first" >"$dir.first.log" 2>&1 &
firstPid=$!
"$host" -m "$module" -d "$dir" --seed none "$second" >"$dir.second.log" 2>&1
secondStatus=$?
if [ "$secondStatus" -ne 0 ]; then
    # The first would wait for a file the second never wrote.
    kill "$firstPid" 2>/dev/null
fi
wait "$firstPid"
firstStatus=$?

if [ "$firstStatus" -ne 0 ] || [ "$secondStatus" -ne 0 ]; then
    if [ "$secondStatus" -ne 0 ]; then
        echo "first process: stopped once the second had failed"
    else
        echo "first process: exit status $firstStatus"
    fi
    cat "$dir.first.log"
    echo "second process: exit status $secondStatus"
    cat "$dir.second.log"
    exit 1
fi
echo "both processes passed"
