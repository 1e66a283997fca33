#!/bin/bash
# Builds the program and runs it on an embedded register of this user,
# creating the register (and printing the first administrator's login name
# and password) on first use.
set -euo pipefail
cd "$(dirname "$0")/.."
sh scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"

DATA="${XDG_DATA_HOME:-$HOME/.local/share}/QuorinZV"
DB="$DATA/register.fdb"
CONF="${QRNLOGIN_CONFIG:-${XDG_CONFIG_HOME:-$HOME/.config}/QuorinZV/qrnlogin.ini}"
if [ ! -f "$DB" ]; then
  mkdir -p -m 700 "$DATA"
  echo "Създаване на нова картотека в $DB"
  build/bin/zv-admin create --database "$DB" </dev/null
  echo "Запишете паролата: показва се само сега."
fi
if [ ! -f "$CONF" ]; then
  mkdir -p -m 700 "$(dirname "$CONF")"
  # The file holds the database credentials: this user's only.
  (umask 077 && printf '[Database]\nPath=%s\nUser=SYSDBA\nPassword=\n' "$DB" > "$CONF")
fi
export QRNLOGIN_CONFIG="$CONF"
exec build/bin/QuorinZV
