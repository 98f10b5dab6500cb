#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 QuiverBolt developers
# SPDX-License-Identifier: MIT
# The rating server at 10 k, 100 k and 1 M players, on SQLite and on
# PostgreSQL, all on this machine (see docs/performance.md):
#   - how long seeding takes;
#   - place lookups, world and local, p50 and p99 (rating_bench places);
#   - the store alone: 100 durable batches of 64 submissions (rating_bench store);
#   - wrk on GET /healthz and on genuine submissions in the same run:
#     keep-alive, 64 connections, a third new players, a third better values,
#     a third lower values.
#
#   benchmarks/rating/run.sh [BUILD_DIR [SIZES [BACKENDS]]]
#   benchmarks/rating/run.sh build/dev "10000 100000 1000000" "sqlite postgresql"
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/dev}
sizes=${2:-10000 100000 1000000}
backends=${3:-sqlite postgresql}
duration=${DURATION:-10s}
server=$build/server/quiverbolt-rating
bench=$build/benchmarks/rating/rating_bench

work=$(mktemp -d /tmp/quiverbolt-bench.XXXXXX)
chmod 755 "$work"
server_pid=
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
    if [ -d "$work/pg" ]; then tests/server/postgresql.sh stop "$work/pg" || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
trap "exit 1" INT TERM

# Genuine submissions for wrk, more than a run sends.
"$bench" bodies --players 40000 --out "$work/submit.lua"

if [[ " $backends " == *" postgresql "* ]]; then
    tests/server/postgresql.sh start "$work/pg" >/dev/null
fi

# wrk's requests per second, p50 and p99 of one run.
wrk_figures() {
    awk '/^ +50%/ {p50 = $2} /^ +99%/ {p99 = $2} /^Requests\/sec/ {rps = $2}
         /Non-2xx/ {bad = $NF} END {printf "%s req/s, p50 %s, p99 %s%s", rps, p50, p99,
         bad ? ", non-2xx " bad : ""}'
}

for backend in $backends; do
    for players in $sizes; do
        name=b_${players}
        if [ "$backend" = sqlite ]; then
            database=sqlite:$work/$name.db
        else
            psql -q "postgresql:///postgres?host=$work/pg&user=quiverbolt" -c "CREATE DATABASE $name"
            database="postgresql:///$name?host=$work/pg&user=quiverbolt"
        fi
        start=$(date +%s%N)
        "$server" seed --players "$players" --database "$database" 2>/dev/null
        seeded_ms=$((($(date +%s%N) - start) / 1000000))
        echo "== $backend, $players players (seeded in $((seeded_ms / 1000)).$((seeded_ms % 1000 / 100)) s)"
        "$bench" places --database "$database" --lookups 20000 | sed 1d
        "$bench" store --database "$database" --batches 100 --batch 64

        "$server" serve --listen 127.0.0.1:0 --database "$database" 2>"$work/server.log" &
        server_pid=$!
        for _ in $(seq 100); do
            grep -q "listening on" "$work/server.log" && break
            sleep 0.1
        done
        url=$(sed -n 's/^listening on //p' "$work/server.log")
        echo "healthz:     $(wrk -t2 -c64 -d"$duration" --latency "${url}healthz" | wrk_figures)"
        echo "submissions: $(wrk -t2 -c64 -d"$duration" --latency -s "$work/submit.lua" "$url" | wrk_figures)"
        kill "$server_pid"
        wait "$server_pid" || true
        server_pid=
        if [ "$backend" = sqlite ]; then
            echo "players after the run: $(sqlite3 "$work/$name.db" 'SELECT count(*) FROM players')"
            rm -f "$work/$name.db"*
        else
            echo "players after the run: $(psql -At "$database" -c 'SELECT count(*) FROM players')"
            psql -q "postgresql:///postgres?host=$work/pg&user=quiverbolt" -c "DROP DATABASE $name"
        fi
    done
done
