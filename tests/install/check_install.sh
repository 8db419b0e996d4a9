#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks what a desktop reads of
# it: the desktop entry, the AppStream metainfo, the MIME package, the manual and
# the icons; then registers the installed tree as the system's data folder of a
# temporary XDG home and asks xdg-mime what a .vqd is and what opens it.
# Usage: check_install.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d /tmp/velmo-install-XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# Runs a check; its output is shown when it fails or says anything on standard error.
check() {
  local what=$1; shift
  if ! "$@" >"$work/out" 2>"$work/err"; then
    fail "$what"; cat "$work/out" "$work/err"
  elif [ -s "$work/err" ]; then
    fail "$what (warnings)"; cat "$work/err"
  else
    echo "ok: $what"
  fi
}

DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
share="$work/root/usr/share"

[ -x "$work/root/usr/bin/velmorant" ] || fail "usr/bin/velmorant is not installed"
check "desktop-file-validate velmorant.desktop" desktop-file-validate "$share/applications/velmorant.desktop"
metainfo=("$share"/metainfo/*.metainfo.xml)
check "appstreamcli validate ${metainfo[0]##*/}" appstreamcli validate --no-net "${metainfo[0]}"
check "xmllint mime/packages/velmorant.xml" xmllint --noout "$share/mime/packages/velmorant.xml"
check "man -l velmorant.1.gz" env MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -l "$share/man/man1/velmorant.1.gz"
grep -q '^EXIT STATUS' "$work/out" || fail "the manual has no EXIT STATUS section"

for size in 16 22 24 32 48 64 128 256; do
  png="$share/icons/hicolor/${size}x${size}/apps/velmorant.png"
  if [ "$(file -b "$png" 2>/dev/null | cut -d, -f1-2)" != "PNG image data, $size x $size" ]; then
    fail "icon $png is not a $size x $size PNG"
  fi
done
for svg in apps/velmorant.svg mimetypes/application-x-velmorant-ledger.svg; do
  check "xmllint scalable/$svg" xmllint --noout "$share/icons/hicolor/scalable/$svg"
done

# The installed tree as the only system data folder, an empty home of its own.
export XDG_DATA_DIRS="$share" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config"
export XDG_CONFIG_DIRS="$work/home/xdg" XDG_CURRENT_DESKTOP= HOME="$work/home"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CONFIG_DIRS"
check "update-mime-database" update-mime-database "$share/mime"
check "update-desktop-database" update-desktop-database "$share/applications"
# A ledger by its name, and files without the extension by their first bytes: "vq",
# the year in four digits and "2" (an empty ledger of 2004, of 1989).
printf 'vq2004200000\060\000\000\000' >"$work/vq2004.vqd"
cp "$work/vq2004.vqd" "$work/ledger-without-extension"
printf 'vq1989200000\060\000\000\000' >"$work/ledger-of-1989"
for file in vq2004.vqd ledger-without-extension ledger-of-1989; do
  type=$(xdg-mime query filetype "$work/$file")
  [ "$type" = application/x-velmorant-ledger ] || fail "xdg-mime query filetype $file: '$type'"
done
# Texts that begin with "vq" but not with a ledger's header are no ledgers.
printf 'plain text\n' >"$work/note.vqd.txt"
printf 'vq is how the notes begin\n' >"$work/vq-note"
printf 'vq20:4200000\n' >"$work/vq-colon"
printf 'vq2004100000\n' >"$work/vq-other-version"
for file in note.vqd.txt vq-note vq-colon vq-other-version; do
  type=$(xdg-mime query filetype "$work/$file")
  [ "$type" != application/x-velmorant-ledger ] || fail "$file is taken for a ledger"
done
default=$(xdg-mime query default application/x-velmorant-ledger)
[ "$default" = velmorant.desktop ] || fail "xdg-mime query default: '$default'"

if [ "$failures" -ne 0 ]; then echo "$failures install checks failed"; exit 1; fi
echo "install checks passed"
