#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 QuiverBolt developers
# SPDX-License-Identifier: MIT
# The rating server under wrk: seeds a database with PLAYERS players, then in
# one run measures GET /healthz (the HTTP ceiling of this machine: no database,
# no disk) and durable submissions (a mix of new players, better and lower
# values), each for SECONDS with CONNECTIONS keep-alive connections.
#
#   server/bench/run_benchmark.sh BUILD_DIR [PLAYERS [SECONDS [CONNECTIONS]]]
#
# The database goes to a temporary folder under $TMPDIR (default /tmp): put
# TMPDIR on the disk you want to measure (a tmpfs /tmp makes fsync free).
set -euo pipefail
build=${1:?usage: run_benchmark.sh BUILD_DIR [PLAYERS [SECONDS [CONNECTIONS]]]}
players=${2:-100000}
seconds=${3:-10}
connections=${4:-64}
here=$(cd "$(dirname "$0")" && pwd)
server_binary=$build/server/quiverbolt-rating
bodies_binary=$build/server/bench/rating_bodies
command -v wrk >/dev/null || { echo "wrk is missing: apt-get install wrk" >&2; exit 1; }

work=$(mktemp -d)
server=
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; rm -rf "$work"' EXIT

echo "Seeding $players players ..."
time "$server_binary" seed --players "$players" --database "sqlite:$work/rating.db"
"$bodies_binary" "$players" 200000 >"$work/bodies.txt"

"$server_binary" serve --listen 127.0.0.1:0 --database "sqlite:$work/rating.db" 2>"$work/server.log" &
server=$!
for _ in $(seq 100); do
    grep -q '^listening on ' "$work/server.log" && break
    sleep 0.1
done
url=$(sed -n 's/^listening on //p' "$work/server.log")
[ -n "$url" ] || { cat "$work/server.log" >&2; exit 1; }

echo
echo "== GET /healthz, $connections connections, ${seconds}s"
wrk -t2 -c"$connections" -d"${seconds}s" --latency "${url}healthz"
echo
echo "== POST / submissions, $connections connections, ${seconds}s"
wrk -t2 -c"$connections" -d"${seconds}s" --latency -s "$here/submissions.lua" "$url" -- "$work/bodies.txt"

kill "$server"
wait "$server" || true
server=
echo
echo "players now: $(sqlite3 "$work/rating.db" 'SELECT count(*), sum(submissions) FROM players' 2>/dev/null || echo '(sqlite3 not installed)')"
