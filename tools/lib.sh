# What the test and set-up scripts share: the counts of one run, its
# one-line summary, the timed progress lines, and the machine's Debian
# mirror. Sourced, not run:
#   . tools/lib.sh; start_counting "windows"
# Each script keeps the counts passed, failed and not_run; the summary line,
# "N passed, N failed" with ", N not run" when something could not run, is
# what ./test.sh reads back from the scripts it calls.

# Starts the counts and the clock; `label` prefixes every progress line.
start_counting() {
    counting_label=$1
    counting_started=$SECONDS
    passed=0
    failed=0
    not_run=0
}

# A progress line: "[label  12s] text".
say() { printf '[%s %3ds] %s\n' "$counting_label" $((SECONDS - counting_started)) "$*"; }

# The summary line of the counts.
summary_line() {
    if [ "$not_run" -gt 0 ]; then
        echo "$passed passed, $failed failed, $not_run not run"
    else
        echo "$passed passed, $failed failed"
    fi
}

# Ends the script with its summary; the exit status says whether all passed.
finish() {
    say "done"
    summary_line
    [ "$failed" -eq 0 ]
    exit $?
}

# Adds to the counts the last summary line in `log` that has the form
# `pattern` matches: ctest's "NN% tests passed, F tests failed out of T", or
# another script's summary line. A log without one is one failure, told as
# `what`.
add_counts_from() {
    local log=$1 what=$2 line
    line=$(grep -E '^[0-9]+ passed, [0-9]+ failed(, [0-9]+ not run)?$|tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
    if [ -z "$line" ]; then
        echo "== $what gave no summary"
        failed=$((failed + 1))
    elif [[ $line =~ ([0-9]+)\ tests?\ failed\ out\ of\ ([0-9]+) ]]; then
        passed=$((passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
        failed=$((failed + BASH_REMATCH[1]))
    elif [[ $line =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed(,\ ([0-9]+)\ not\ run)?$ ]]; then
        passed=$((passed + BASH_REMATCH[1]))
        failed=$((failed + BASH_REMATCH[2]))
        not_run=$((not_run + ${BASH_REMATCH[4]:-0}))
    fi
}

# The mirror of the machine's Debian 12 (bookworm) suites, from its apt
# sources in either format; nothing when none is named.
debian_mirror() {
    {
        cat /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '
            /^URIs:/ { uris = $2 } /^Suites:/ { suites = $0 }
            /^$/ { if (suites ~ / bookworm( |$)/ && uris != "") print uris; uris = ""; suites = "" }
            END { if (suites ~ / bookworm( |$)/ && uris != "") print uris }'
        cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
            awk '$1 == "deb" { sub(/\[[^]]*\] */, ""); if ($3 == "bookworm") print $2 }'
    } | grep -E '^https?://' | head -n 1 || true
}
