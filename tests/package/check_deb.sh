#!/usr/bin/env bash
# The Debian package, as a new user would get it: packed from the build tree, unpacked into a
# scratch root, its files and dependencies checked, and the installed tavrin-cli run.
# usage: check_deb.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/tavrin-deb-XXXXXX")
trap 'rm -rf "$scratch"' EXIT

deb=$("$here/make_deb.sh" "$1" "$scratch/out")
root="$scratch/root"
dpkg -x "$deb" "$root"

fail() { echo "FAIL: $*"; exit 1; }
for f in usr/bin/Tavrin usr/bin/tavrin usr/bin/tavrin-cli usr/bin/virtual-sign usr/bin/launchet \
         usr/share/tavrin/Manual.txt usr/share/applications/tavrin.desktop \
         usr/share/icons/hicolor/scalable/apps/tavrin.svg \
         usr/share/metainfo/org.tavrin.Tavrin.metainfo.xml \
         usr/share/man/man1/tavrin.1.gz usr/share/man/man1/tavrin-cli.1.gz \
         usr/share/man/man1/virtual-sign.1.gz usr/share/man/man1/launchet.1.gz; do
  [ -e "$root/$f" ] || fail "the package has no $f"
done
# Nothing of the build: no tests, no libraries, no headers.
extra=$(cd "$root" && find . -type f | grep -vE '^\./usr/(bin|share/(tavrin|applications|icons|metainfo|man))/' || true)
[ -z "$extra" ] || fail "the package holds more than it should: $extra"

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6core6 libcups2 qt6-qpa-plugins; do
  echo "$depends" | grep -q "$lib" || fail "Depends lacks $lib: $depends"
done
# Its dependencies are packages Debian has (a simulated install resolves them).
if command -v apt-get >/dev/null; then
  apt-get install -s -q "$deb" >"$scratch/apt.out" 2>&1 || fail "apt cannot install it: $(tail -5 "$scratch/apt.out")"
fi
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$root/usr/share/applications/tavrin.desktop" || fail "the desktop entry"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$root/usr/share/metainfo/org.tavrin.Tavrin.metainfo.xml" >/dev/null ||
    fail "the AppStream description"
fi
for page in "$root"/usr/share/man/man1/*.1.gz; do
  warnings=$(zcat "$page" | groff -man -Tutf8 -ww -z 2>&1)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done

# The installed program runs from where it was installed, with its data per user.
home="$scratch/home"
mkdir -p "$home"
got=$(HOME="$home" XDG_DATA_HOME= TAVRIN_HOME= "$root/usr/bin/tavrin-cli" --dry-run --id 01 send Hello)
want='<ID01><BE>05<E>
<ID01><L1><PA><FE><MA><WC><FE>Hello36<E>
<ID01><BF>06<E>'
[ "$got" = "$want" ] || fail "the installed tavrin-cli printed: $got"
[ -d "$home/.local/share/Tavrin" ] || fail "the installed program did not use the per-user folder"
[ ! -e "$root/usr/bin/Tavrin.INI" ] || fail "the installed program wrote beside itself"
echo "ok: $(basename "$deb") ($(du -k "$deb" | cut -f1) KiB) installs its files; Depends: $depends"
