#!/bin/sh
# Installs every Debian package the build, the program and the tests need.
# Safe to run again: apt-get skips what is already installed.
set -eu
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
export DEBIAN_FRONTEND=noninteractive
PKGS="build-essential cmake g++ pkg-config googletest libgtest-dev libgmock-dev
 qt6-base-dev qt6-base-dev-tools libqt6sql6 libgl-dev qt6-translations-l10n libqt6svg6 qt6-svg-dev desktop-file-utils
 firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-server firebird3.0-utils
 libsodium-dev fonts-dejavu-core fonts-liberation2
 poppler-utils catdoc python3-xlrd xvfb xauth"
# The export's workbook writer.
PKGS="$PKGS libgsf-1-dev"
# With --tests, also the fuzzing compiler and the office suite that reads the
# exports back in the tests (the program needs neither).
if [ "${1:-}" = "--tests" ]; then
  PKGS="$PKGS clang libfuzzer-14-dev libreoffice-writer-nogui libreoffice-calc-nogui"
fi
missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  $SUDO apt-get update -q
  # The server package asks for a SYSDBA password through debconf; answer it up front.
  echo "firebird3.0-server shared/firebird/enabled boolean false" | $SUDO debconf-set-selections || true
  echo "firebird3.0-server shared/firebird/sysdba_password/first_install password masterkey" | $SUDO debconf-set-selections || true
  $SUDO apt-get install -y -q --no-install-recommends $missing
fi
