#!/usr/bin/env bash
# Checks what `cmake --install` puts on a machine, without building packages:
#   - the file list of each package (nothing missing, no test program),
#   - the desktop entry (desktop-file-validate), the AppStream file with the
#     desktop entry and icons it names (appstreamcli validate-tree),
#   - the icons' pixel sizes, the manual pages (man's own warnings),
#   - one version everywhere: project(VERSION), the AppStream release and
#     the Debian changelog.
# validate.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?usage: validate.sh BUILD_DIR}" && pwd)
src=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

for component in client service; do
  DESTDIR="$work/$component" cmake --install "$build" --prefix /usr --component "$component" \
    >/dev/null
  (cd "$work/$component" && find . -type f -o -type l | sed 's|^\./|/|' | sort) \
    >"$work/$component.list"
done

cat >"$work/client.expected" <<'LIST'
/usr/bin/tarvolo
/usr/bin/tarvolo-cli
/usr/libexec/tarvolo/tarvolo-update
/usr/share/applications/cn.tarvolo.Tarvolo.desktop
/usr/share/doc/tarvolo/changelog.gz
/usr/share/doc/tarvolo/copyright
/usr/share/icons/hicolor/128x128/apps/tarvolo.png
/usr/share/icons/hicolor/256x256/apps/tarvolo.png
/usr/share/icons/hicolor/48x48/apps/tarvolo.png
/usr/share/icons/hicolor/scalable/apps/tarvolo.svg
/usr/share/man/man1/tarvolo-cli.1.gz
/usr/share/man/man1/tarvolo.1.gz
/usr/share/metainfo/cn.tarvolo.Tarvolo.metainfo.xml
LIST
cat >"$work/service.expected" <<'LIST'
/etc/default/tarvolo-service
/lib/systemd/system/tarvolo-service.service
/usr/bin/tarvolo-service
/usr/share/doc/tarvolo-service/changelog.gz
/usr/share/doc/tarvolo-service/copyright
/usr/share/man/man8/tarvolo-service.8.gz
LIST
for component in client service; do
  if ! diff -u "$work/$component.expected" "$work/$component.list"; then
    fail "the $component package's files differ from the list above"
  fi
done

root=$work/client
desktop=$root/usr/share/applications/cn.tarvolo.Tarvolo.desktop
echo "== desktop-file-validate"
# Hints are advice; errors and warnings fail.
if desktop-file-validate "$desktop" | tee "$work/desktop.out" | grep -v ': hint: '; then
  fail "desktop-file-validate"
fi
echo "== appstreamcli validate"
if ! appstreamcli validate --no-net --explain \
    "$root/usr/share/metainfo/cn.tarvolo.Tarvolo.metainfo.xml"; then
  fail "appstreamcli validate"
fi
echo "== appstreamcli validate-tree"
if ! appstreamcli validate-tree --no-net "$root"; then
  fail "appstreamcli validate-tree"
fi

for size in 48 128 256; do
  png=$root/usr/share/icons/hicolor/${size}x${size}/apps/tarvolo.png
  # Width and height: big-endian words at bytes 16 and 20 of the IHDR chunk.
  actual=$(od -An -tu1 -j16 -N8 "$png" |
    awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}')
  [ "$actual" = "${size}x${size}" ] || fail "icon $size is $actual"
done

echo "== manual pages"
for page in "$src"/packaging/man/*.[18]; do
  # man -l with warnings on renders the page as a terminal would; groff's
  # complaints (unknown macros, bad escapes, lines it cannot fit) go to stderr.
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null || true)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done

echo "== versions"
project=$(sed -n 's/^project(tarvolo VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
changelog=$(dpkg-parsechangelog -l "$src/packaging/debian/changelog" -S Version)
release=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' \
  "$root/usr/share/metainfo/cn.tarvolo.Tarvolo.metainfo.xml")
echo "project $project, changelog $changelog, AppStream release $release"
[ "$changelog" = "$project" ] || fail "debian/changelog's top entry is $changelog, not $project"
[ "$release" = "$project" ] || fail "the AppStream release is $release, not $project"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "packaging: all checks passed"
