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
         usr/bin/tavrin-service usr/share/man/man1/tavrin-service.1.gz \
         usr/lib/systemd/system/tavrin-service.service usr/lib/systemd/user/tavrin-service.service \
         usr/share/tavrin/Manual.txt usr/share/applications/tavrin.desktop \
         usr/share/mime/packages/tavrin.xml usr/share/icons/hicolor/scalable/apps/tavrin.svg \
         usr/share/metainfo/org.tavrin.Tavrin.metainfo.xml \
         usr/share/man/man1/tavrin.1.gz usr/share/man/man1/tavrin-cli.1.gz \
         usr/share/man/man1/virtual-sign.1.gz usr/share/man/man1/launchet.1.gz; do
  [ -e "$root/$f" ] || fail "the package has no $f"
done
# The print dialog's module, in the package's private library folder (the program finds it by
# the way from its own folder there, which the build worked out from the same layout).
module=$(cd "$root" && find . -path '*/tavrin/tavrin-print-dialog.so')
echo "$module" | grep -qxE '\./usr/lib/([^/]+/)?tavrin/tavrin-print-dialog\.so' ||
  fail "the print dialog's module is not in a private library folder: ${module:-none}"
# Nothing of the build: no tests, no other libraries, no headers.
extra=$(cd "$root" && find . -type f | grep -vE '^\./usr/(bin|share/(tavrin|applications|mime/packages|icons|metainfo|man)|lib/systemd/(system|user))/' | grep -vxF "$module" || true)
[ -z "$extra" ] || fail "the package holds more than it should: $extra"

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6core6 libqt6printsupport6 libcups2 qt6-qpa-plugins libqt6svg6 libmosquitto1 libqt6httpserver6; do
  echo "$depends" | grep -q "$lib" || fail "Depends lacks $lib: $depends"
done
# Its dependencies are packages Debian has (a simulated install resolves them).
if command -v apt-get >/dev/null; then
  apt-get install -s -q "$deb" >"$scratch/apt.out" 2>&1 || fail "apt cannot install it: $(tail -5 "$scratch/apt.out")"
fi
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$root/usr/share/applications/tavrin.desktop" || fail "the desktop entry"
fi
# A message file opens Tavrin with it: the entry takes a file and names the type that the
# package brings, and the shared MIME database reads that type (errors go to its output, not
# to its exit code).
entry="$root/usr/share/applications/tavrin.desktop"
grep -qx 'Exec=Tavrin %f' "$entry" || fail "the desktop entry does not pass Tavrin a file: $(grep ^Exec= "$entry")"
grep -qx 'MimeType=application/x-tavrin-message;' "$entry" || fail "the desktop entry names no type of message files"
if command -v update-mime-database >/dev/null; then
  mime="$scratch/share/mime"
  mkdir -p "$mime/packages"
  cp "$root/usr/share/mime/packages/tavrin.xml" "$mime/packages/"
  said=$(XDG_DATA_DIRS="$scratch/share" update-mime-database "$mime" 2>&1) || fail "update-mime-database failed: $said"
  [ -z "$said" ] || fail "update-mime-database cannot read the type of message files: $said"
  grep -qx '[0-9]*:application/x-tavrin-message:\*\.tvr' "$mime/globs2" || fail "no *.tvr in the MIME database: $(cat "$mime/globs2")"
  grep -q '<comment>Tavrin message</comment>' "$mime/application/x-tavrin-message.xml" ||
    fail "the type of message files is not called \"Tavrin message\""
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
# Every program knows the version it was packed as, and says it without a window.
version=$(dpkg-deb -f "$deb" Version)
for program in Tavrin tavrin-cli virtual-sign launchet tavrin-service; do
  said=$(QT_QPA_PLATFORM=offscreen timeout 20 "$root/usr/bin/$program" --version 2>&1) || true
  [ "$said" = "$program $version" ] || fail "$program --version said: $said"
done
# The service's units start the installed program, and systemd reads them without a complaint.
for unit in system user; do
  file="$root/usr/lib/systemd/$unit/tavrin-service.service"
  grep -q '^ExecStart=/usr/bin/tavrin-service' "$file" || fail "the $unit unit starts: $(grep ^ExecStart= "$file")"
  if command -v systemd-analyze >/dev/null; then
    mkdir -p "$scratch/units/$unit"
    sed "s|^ExecStart=/usr/bin/tavrin-service|ExecStart=$root/usr/bin/tavrin-service|" "$file" >"$scratch/units/$unit/tavrin-service.service"
    # A user's manager wants a runtime folder of its own.
    mkdir -p -m 700 "$scratch/run"
    flag=$([ "$unit" = user ] && echo --user || true)
    said=$(cd "$scratch/units/$unit" && XDG_RUNTIME_DIR="$scratch/run" systemd-analyze verify --man=no $flag ./tavrin-service.service 2>&1) ||
      fail "systemd-analyze cannot read the $unit unit: $said"
    [ -z "$said" ] || fail "the $unit unit: $said"
  fi
done
# The installed service finds the user's sign list where the window keeps it.
mkdir -p "$home/.local/share/Tavrin"
printf 'Door = COM1, 01, 3, 128\n' >"$home/.local/share/Tavrin/Tavrin.signs"
printf '[Service]\r\nmqtt=off\r\n' >"$home/.local/share/Tavrin/Tavrin.INI"
said=$(HOME="$home" XDG_DATA_HOME= TAVRIN_HOME= "$root/usr/bin/tavrin-service" --check 2>&1) || fail "tavrin-service --check: $said"
echo "$said" | grep -q '1 sign (Door)' || fail "tavrin-service --check said: $said"
[ ! -e "$root/usr/bin/Tavrin.INI" ] || fail "the installed program wrote beside itself"
echo "ok: $(basename "$deb") ($(du -k "$deb" | cut -f1) KiB) installs its files; Depends: $depends"
