#!/usr/bin/env bash
# A workstation killed in the middle of saving a card, on a durable PostgreSQL server and on the files:
# run by hand (it takes minutes), from the root of the tree after a build. Prints the counts.
#   tests/server/kill_saves.sh [KILLS]
# Each kill comes at a random moment between the writer's start and a few of its saves; the card is then
# read back: every field and the photo of one generation, the last acknowledged or the one in flight.
# Meanwhile a second writer saves another card of the same archive every 20 ms. SECOND=0 leaves it out.
set -euo pipefail
build=${BUILD:-build}
kills=${1:-100}
tool="$(pwd)/$build/tests/card_writer"
work=$(mktemp -d /var/tmp/codazzurra-killsave.XXXXXX)
chmod 755 "$work"
pgbin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -1)
# PostgreSQL refuses to run as root: its folder belongs to an unprivileged user then.
as_pg() { if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi; }
cleanup() {
    [ -f "$work/pg/postmaster.pid" ] && as_pg "$pgbin/pg_ctl" -D "$work/pg" -m immediate -w stop > /dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# The server as a real one runs: fsync, full pages and synchronous commits on (PostgreSQL's defaults).
mkdir "$work/pg"
[ "$(id -u)" != 0 ] || chown postgres "$work/pg"
as_pg "$pgbin/initdb" -D "$work/pg" -A trust -U codazzurra -E UTF8 --no-locale > /dev/null
port=$((20000 + RANDOM % 20000))
as_pg "$pgbin/pg_ctl" -D "$work/pg" -l "$work/pg/log" -w \
    -o "-p $port -k $work/pg -c listen_addresses=''" start > /dev/null
as_pg "$pgbin/psql" -h "$work/pg" -p "$port" -U codazzurra -d postgres -qc "SHOW fsync" -tA | sed 's/^/fsync: /'
mkdir "$work/server" "$work/files"
printf '[Archivi]\nServer=host=%s port=%s dbname=postgres user=codazzurra\n' "$work/pg" "$port" \
    > "$work/server/Codazzurra.ini"

# Checks the card TAG after a writer whose output is OUT: sets result (at_ack, after, other, torn).
check() { # FOLDER TAG OUT
    local last got
    last=$(tail -n 1 "$3"); [ -z "$last" ] || ack[$2]=$last
    if ! got=$("$tool" check "$1" "$2"); then result=torn; echo "  $2: $got"; return; fi
    if [ "$got" = "${ack[$2]}" ]; then result=at_ack
    elif [ "$got" = $((ack[$2] + 1)) ]; then result=after
    else result=other; echo "  $2: generation $got, acknowledged ${ack[$2]}"; fi
    ack[$2]=$got # the next writer goes on from what is stored
}

run() { # ENGINE FOLDER
    local folder=$2 start took pid second= i status
    declare -gA ack=([A]=0 [B]=0)
    declare -A n=([at_ack]=0 [after]=0 [other]=0 [torn]=0 [errors]=0 [saving]=0)
    "$tool" save "$folder" A 1 > /dev/null
    if [ "${SECOND:-1}" = 1 ]; then "$tool" save "$folder" B 0 20 > "$work/b.txt" 2> "$work/b.err" & second=$!; fi
    start=$(date +%s%N); "$tool" save "$folder" A 3 > "$work/out.txt"; took=$(( ($(date +%s%N) - start) / 1000000 ))
    ack[A]=$(tail -n 1 "$work/out.txt")
    local began=$(date +%s)
    for i in $(seq 1 "$kills"); do
        "$tool" save "$folder" A > "$work/out.txt" 2> "$work/err.txt" & pid=$!
        sleep "$(awk -v r=$RANDOM -v t="$took" 'BEGIN { printf "%.3f", r / 32768 * t / 1000 }')"
        kill -9 "$pid" 2> /dev/null || true
        status=0; wait "$pid" 2> /dev/null || status=$?
        if [ "$status" != 137 ] || [ -s "$work/err.txt" ]; then
            n[errors]=$((n[errors] + 1)); echo "  run $i ended with $status: $(cat "$work/err.txt")"
        fi
        [ ! -s "$work/out.txt" ] || n[saving]=$((n[saving] + 1))
        check "$folder" A "$work/out.txt"; n[$result]=$((n[$result] + 1))
    done
    echo "$1: start and 3 saves ${took} ms; $kills kills in $(($(date +%s) - began)) s," \
        "${n[saving]} of them after the run's first save;" \
        "rows whole: $((kills - n[torn])), torn: ${n[torn]}, at the acknowledged generation: ${n[at_ack]}," \
        "at the one after: ${n[after]}, anything else: ${n[other]}, writers that failed: ${n[errors]}"
    if [ -n "$second" ]; then
        kill -9 "$second"; wait "$second" 2> /dev/null || true
        check "$folder" B "$work/b.txt"
        echo "$1: second writer: $(wc -l < "$work/b.txt") saves acknowledged, card $result," \
            "errors: $(wc -l < "$work/b.err")"
    fi
}

run server "$work/server"
run files "$work/files"
