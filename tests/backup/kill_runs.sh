#!/usr/bin/env bash
# Backups and restores killed at random points, and a backup while another copy saves cards: run by hand
# (they take minutes), from the root of the tree after a build. Prints the counts.
#   tests/backup/kill_runs.sh [BACKUP_KILLS] [RESTORE_KILLS]
# CARDS sizes the archives (three of CARDS cards with 100 KB photos; default 150, about 45 MB); WRITES=1 aims
# the restore kills at the part of a restore that writes the archives.
set -euo pipefail
build=${BUILD:-build}
backups=${1:-200}
restores=${2:-100}
work=$(mktemp -d /var/tmp/codazzurra-kill.XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$build/Codazzurra/Codazzurra" "$work/"
stress="$build/tests/backup_stress"
prog="$work/Codazzurra"

"$stress" fill "$work" "${CARDS:-150}" 100
"$stress" digest "$work" > "$work/before.txt"

# A backup killed at a random point: the archives untouched, no generation listed that fails to verify.
start=$(date +%s%N); "$prog" --backup > /dev/null; took=$(( ($(date +%s%N) - start) / 1000000 ))
echo "one backup: ${took} ms"
bad=0; leftovers=0; made=0
for i in $(seq 1 "$backups"); do
    "$prog" --backup > /dev/null 2>&1 & pid=$!
    sleep "$(awk -v r=$RANDOM -v t="$took" 'BEGIN { printf "%.3f", r / 32768 * t / 1000 }')"
    kill -9 "$pid" 2> /dev/null || true
    wait "$pid" 2> /dev/null || true
    if ! "$prog" --verify > "$work/verify.txt" 2>&1; then bad=$((bad + 1)); cat "$work/verify.txt"; fi
    "$stress" digest "$work" > "$work/after.txt"
    cmp -s "$work/before.txt" "$work/after.txt" || { bad=$((bad + 1)); echo "archives changed at run $i"; }
    n=$(find "$work/Backup" -name '.codazzurra-backup-*' | wc -l); leftovers=$((leftovers + (n > 0)))
done
made=$("$prog" --list-backups | wc -l)
"$prog" --backup > /dev/null
left=$(find "$work/Backup" -name '.codazzurra-backup-*' | wc -l)
echo "backup kills: $backups, runs with leftovers: $leftovers, failures: $bad, listed: $made, leftovers after the next backup: $left"

# A restore killed at a random point: each archive whole, old or new, and sound.
"$stress" digest "$work" > "$work/old.txt"
old=$("$prog" --list-backups | head -1 | cut -f1)
"$stress" fill "$work" 20 100 > /dev/null 2>&1 || true # more cards: the new state differs from the old
sqlite3 "$work/Cani.db" "DELETE FROM infanzia WHERE ID > 100"
sqlite3 "$work/Gatti.db" "UPDATE famiglia SET varNome = 'Cambiato'"
sqlite3 "$work/Cavalli.db" "UPDATE amici SET varNome = 'Cambiato' WHERE ID % 2 = 0"
"$prog" --backup > /dev/null
new=$("$prog" --list-backups | head -1 | cut -f1)
"$stress" digest "$work" > "$work/new.txt"
start=$(date +%s%N); "$prog" --restore "$old" > /dev/null; took=$(( ($(date +%s%N) - start) / 1000000 ))
# A restore verifies the generation and saves the current files first; the archives are written after that.
start=$(date +%s%N); "$prog" --verify "$new" > /dev/null; "$prog" --backup > /dev/null
writes=$(( ($(date +%s%N) - start) / 1000000 ))
echo "one restore: ${took} ms, its archives written from about ${writes} ms"
# Kills spread over the whole restore, or with WRITES=1 over the part that writes the archives.
from=$([ "${WRITES:-0}" = 1 ] && echo $((writes * 9 / 10)) || echo 0)
bad=0; mixed=0; old_count=0; new_count=0; unchanged=0; finished=0
cp "$work/old.txt" "$work/state.txt"
for i in $(seq 1 "$restores"); do
    target=$([ $((i % 2)) -eq 0 ] && echo "$old" || echo "$new")
    want=$([ $((i % 2)) -eq 0 ] && echo "$work/old.txt" || echo "$work/new.txt")
    "$prog" --restore "$target" > /dev/null 2>&1 & pid=$!
    sleep "$(awk -v r=$RANDOM -v a="$from" -v t="$took" 'BEGIN { printf "%.3f", (a + r / 32768 * (t - a)) / 1000 }')"
    kill -9 "$pid" 2> /dev/null || true
    wait "$pid" 2> /dev/null || true
    "$stress" digest "$work" > "$work/after.txt"
    while read -r name verdict count hash; do
        [ "$verdict" = ok ] || { bad=$((bad + 1)); echo "$name: $verdict"; }
        if grep -q "^$name ok $count $hash\$" "$work/old.txt"; then old_count=$((old_count + 1))
        elif grep -q "^$name ok $count $hash\$" "$work/new.txt"; then new_count=$((new_count + 1))
        else bad=$((bad + 1)); echo "$name neither old nor new"; fi
    done < "$work/after.txt"
    if cmp -s "$work/after.txt" "$work/state.txt"; then unchanged=$((unchanged + 1))
    elif cmp -s "$work/after.txt" "$want"; then finished=$((finished + 1))
    else mixed=$((mixed + 1)); fi
    cp "$work/after.txt" "$work/state.txt"
done
echo "restore kills: $restores; archives whole-old: $old_count, whole-new: $new_count, not sound or neither: $bad;" \
    "runs left as they were: $unchanged, with every archive restored: $finished, killed between archives: $mixed"

# A backup while another copy saves a card every 3 ms: the generation verifies, and its horses are every
# save acknowledged before some moment.
"$stress" writer "$work" 3 > "$work/saves.txt" & writer=$!
sleep 0.5
ok=0; gaps=0
for i in $(seq 1 10); do
    path=$("$prog" --backup 2> /dev/null) || { echo "backup failed"; continue; }
    "$prog" --verify "$path" > /dev/null && ok=$((ok + 1))
    rm -rf "$work/x"; mkdir "$work/x"; (cd "$work/x" && unzip -q "$path" Cavalli.db)
    "$stress" gapless "$work/x/Cavalli.db" > /dev/null || gaps=$((gaps + 1))
done
kill "$writer"; wait "$writer" 2> /dev/null || true
echo "backups while saving: 10, verified: $ok, with a gap: $gaps, saves acknowledged: $(grep -c saved "$work/saves.txt"), failed saves: $(grep -c failed "$work/saves.txt" || true)"
