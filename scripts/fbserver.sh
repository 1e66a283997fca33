#!/bin/bash
# Starts or stops a Firebird server for the tests that need two workstations,
# without systemd. Needs root. Usage: fbserver.sh start|stop
# start prints the lines to eval: ZV_TEST_SERVER, ISC_USER, ISC_PASSWORD.
set -eu
PIDFILE=/run/firebird3.0/zv-test-fbguard.pid
PASSWORD=${ZV_TEST_SYSDBA_PASSWORD:-zvtestpw}
DATADIR=/var/lib/firebird/3.0/data/zv-tests
case "${1:-}" in
start)
  if [ "$(id -u)" -ne 0 ]; then echo "fbserver.sh: needs root" >&2; exit 1; fi
  if ! pgrep -x firebird >/dev/null 2>&1; then
    # Set the SYSDBA password while no server holds the security database.
    printf "create or alter user SYSDBA password '%s' using plugin Srp;\ncommit;\n" "$PASSWORD" |
      env -u FIREBIRD isql-fb -q -user SYSDBA /var/lib/firebird/3.0/system/security3.fdb >/dev/null
    mkdir -p /run/firebird3.0
    chown firebird:firebird /run/firebird3.0
    su -s /bin/sh firebird -c 'env -u FIREBIRD /usr/sbin/fbguard -daemon -forever -pidfile '"$PIDFILE"
    # wait for the listener
    i=0
    until (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null; do
      i=$((i+1))
      if [ $i -gt 100 ]; then echo "fbserver.sh: server did not start" >&2; exit 1; fi
      sleep 0.2
    done
  fi
  mkdir -p "$DATADIR"
  chown firebird:firebird "$DATADIR"
  chmod 770 "$DATADIR"
  echo "ZV_TEST_SERVER=localhost:$DATADIR"
  echo "ISC_USER=SYSDBA"
  echo "ISC_PASSWORD=$PASSWORD"
  ;;
stop)
  if [ -f "$PIDFILE" ]; then kill "$(cat "$PIDFILE")" 2>/dev/null || true; rm -f "$PIDFILE"; fi
  pkill -x firebird 2>/dev/null || true
  rm -rf "$DATADIR"
  ;;
*)
  echo "usage: fbserver.sh start|stop" >&2; exit 2 ;;
esac
