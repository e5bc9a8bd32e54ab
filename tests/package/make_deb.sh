#!/usr/bin/env bash
# Packs a built tree as a .deb into a folder and prints the package's path.
# usage: make_deb.sh BUILD_DIR OUT_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
(cd "$build" && cpack -G DEB -B "$out" >&2)
rm -rf "$out/_CPack_Packages"
ls "$out"/tavrin_*.deb
