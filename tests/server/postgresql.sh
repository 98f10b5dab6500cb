#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 QuiverBolt developers
# SPDX-License-Identifier: MIT
# A throw-away PostgreSQL for the rating server's tests and benchmarks.
#
#   postgresql.sh start DIR   initdb into DIR/data and start it, listening on a
#                             Unix socket in DIR alone (no TCP); superuser
#                             "quiverbolt", no password
#   postgresql.sh stop DIR    stop it (nothing in it is kept) and remove DIR
#
# PostgreSQL refuses to run as root. As root, the server runs as an
# unprivileged user: "nobody" through a user namespace that maps root to it
# (this also works inside the namespace scripts/test runs the suite in, where
# root is the only user there is), or through runuser with the folder handed
# to nobody.
set -euo pipefail

command=${1:-}
dir=${2:-}
if [ -z "$command" ] || [ -z "$dir" ]; then
    echo "usage: $0 start|stop DIR" >&2
    exit 2
fi

bindir=
for candidate in /usr/lib/postgresql/*/bin; do
    [ -x "$candidate/pg_ctl" ] && bindir=$candidate
done
if [ -z "$bindir" ]; then
    echo "$0: no PostgreSQL server found under /usr/lib/postgresql (Debian package postgresql)" >&2
    exit 1
fi

as_server_user=()
if [ "$(id -u)" -eq 0 ]; then
    if unshare --map-user=65534 --map-group=65534 true 2>/dev/null; then
        as_server_user=(unshare --map-user=65534 --map-group=65534)
    else
        as_server_user=(runuser -u nobody --)
    fi
fi

case $command in
start)
    if [ -e "$dir/data/postmaster.pid" ]; then
        "${as_server_user[@]}" "$bindir/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
    fi
    rm -rf "$dir"
    mkdir -p "$dir"
    chmod 755 "$dir"
    [ "${as_server_user[0]:-}" = runuser ] && chown nobody "$dir"
    "${as_server_user[@]}" "$bindir/initdb" -D "$dir/data" -U quiverbolt --auth=trust \
        --encoding=UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 || {
        cat "$dir/initdb.log" >&2
        exit 1
    }
    # The superuser "quiverbolt" needs no password; "rater" must give one,
    # so that the tests can show where a server finds its password.
    printf '%s\n' 'local all rater scram-sha-256' 'local all all trust' \
        | "${as_server_user[@]}" tee "$dir/data/pg_hba.conf" >/dev/null
    "${as_server_user[@]}" "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
        -o "-c listen_addresses='' -c unix_socket_directories='$dir' -c max_connections=200" \
        start >/dev/null || {
        cat "$dir/server.log" >&2
        exit 1
    }
    "$bindir/psql" -q -X "postgresql:///postgres?host=$dir&user=quiverbolt" \
        -c "CREATE ROLE rater LOGIN CREATEDB PASSWORD 'shake-it-harder'"
    echo "PostgreSQL running on socket folder $dir"
    ;;
stop)
    if [ -e "$dir/data/postmaster.pid" ]; then
        "${as_server_user[@]}" "$bindir/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null
    fi
    rm -rf "$dir"
    ;;
*)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac
