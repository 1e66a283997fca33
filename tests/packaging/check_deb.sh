#!/bin/bash
# Builds the .deb from the build tree, checks its declared dependencies,
# unpacks it into a scratch root and runs zv-admin from there.
# Usage: check_deb.sh BUILD_DIR
set -euo pipefail
BUILD=$1
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$BUILD"
cpack -G DEB -B "$WORK/pkg" >/dev/null
DEB=$(ls "$WORK"/pkg/quorinzv_*.deb)
INFO=$(dpkg-deb -I "$DEB")
for dep in libqt6widgets6 libfbclient2 firebird3.0-server-core libsodium23 fonts-liberation2 qt6-translations-l10n; do
  grep -q "Depends:.*$dep" <<<"$INFO" || { echo "dependency $dep not declared"; exit 1; }
done
dpkg -x "$DEB" "$WORK/root"
for f in usr/bin/quorinzv usr/bin/zv-admin usr/lib/quorinzv/QuorinZV usr/lib/quorinzv/libQrnLogin.so usr/lib/quorinzv/libPersonInfo.so \
         usr/lib/quorinzv/QZV.pdf usr/share/applications/quorinzv.desktop \
         usr/share/icons/hicolor/scalable/apps/quorinzv.svg usr/share/icons/hicolor/48x48/apps/quorinzv.png \
         usr/share/icons/hicolor/256x256/apps/quorinzv.png; do
  [ -e "$WORK/root/$f" ] || { echo "missing $f"; exit 1; }
done
desktop-file-validate "$WORK/root/usr/share/applications/quorinzv.desktop"
ADMIN="$WORK/root/usr/bin/zv-admin"
[ "$("$ADMIN" egn 0101010007)" = "$(printf '0101010007\tvalid\t01.01.1901')" ] || { echo "zv-admin egn from the package"; exit 1; }
export HOME="$WORK/home"
mkdir -p "$HOME"
"$ADMIN" create --database "$WORK/register.fdb" --password 'Pak-1-pass' | grep -q '^created '
[ -s "$WORK/register.fdb" ]
echo "package ok: $(basename "$DEB")"
