#!/usr/bin/env bash
# Checks what a user gets: the tree `cmake --install` lays out, or the .deb
# that CPack makes of it.
#   check.sh install BUILD_DIR VERSION WITH_CLI
#   check.sh package BUILD_DIR VERSION WITH_CLI
# WITH_CLI is 1 when the build has the command-line program.
set -euo pipefail

mode=$1 build=$2 version=$3 with_cli=$4
work=$(mktemp -d "${TMPDIR:-/tmp}/dorvik-packaging.XXXXXX")
trap 'rm -rf "$work"' EXIT

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# The files a user gets, relative to the root, for the menu entry id $1.
expected_files() {
  local id=$1 size
  echo usr/bin/Dorvik
  echo "usr/share/applications/$id.desktop"
  echo "usr/share/metainfo/$id.metainfo.xml"
  for size in 16 22 24 32 48 64 128 256; do
    echo "usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
  done
  echo "usr/share/icons/hicolor/scalable/apps/$id.svg"
  echo usr/share/man/man1/Dorvik.1.gz
  echo usr/share/doc/dorvik/copyright
  echo usr/share/doc/dorvik/changelog.gz
  echo usr/share/lintian/overrides/dorvik
  if [ "$with_cli" = 1 ]; then
    echo usr/bin/dorvik-cli
    echo usr/share/man/man1/dorvik-cli.1.gz
  fi
}

# The menu entry id, from the one desktop file under root $1.
menu_id() {
  local entries=("$1"/usr/share/applications/*.desktop)
  if [ ${#entries[@]} -ne 1 ] || [ ! -f "${entries[0]}" ]; then
    echo "not exactly one desktop entry: ${entries[*]}" >&2
    return 1
  fi
  basename "${entries[0]}" .desktop
}

# Checks the files under root $1 one by one.
check_tree() {
  local root=$1 id f size
  id=$(menu_id "$root") || { fail "desktop entry"; return; }

  diff -u <(expected_files "$id" | sort) <(cd "$root" && find . -type f | sed 's|^\./||' | sort) ||
    fail "installed files differ from the expected list (- expected, + installed)"

  for f in usr/bin/Dorvik usr/bin/dorvik-cli; do
    if [ -e "$root/$f" ] && [ ! -x "$root/$f" ]; then fail "$f is not executable"; fi
  done

  local desktop="$root/usr/share/applications/$id.desktop"
  desktop-file-validate "$desktop" || fail "desktop-file-validate $id.desktop"
  grep -qx 'Exec=Dorvik %f' "$desktop" || fail "$id.desktop does not start Dorvik with a file"
  grep -qx "Icon=$id" "$desktop" || fail "$id.desktop does not name the icon $id"
  grep -q '^MimeType=.*application/octet-stream;' "$desktop" ||
    fail "$id.desktop is not offered for any file"
  grep -q '^Comment\[de\]=.' "$desktop" || fail "$id.desktop has no German comment"

  local meta="$root/usr/share/metainfo/$id.metainfo.xml"
  appstreamcli validate --no-net "$meta" || fail "appstreamcli validate $id.metainfo.xml"
  grep -q "<id>$id</id>" "$meta" || fail "metainfo id is not $id"
  grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$meta" ||
    fail "metainfo does not launch $id.desktop"
  grep -q "<release version=\"$version\"" "$meta" || fail "metainfo has no release $version"
  grep -q '<summary xml:lang="de">' "$meta" || fail "metainfo has no German summary"

  # One version everywhere: what the programs say is the package's.
  for f in Dorvik dorvik-cli; do
    [ -x "$root/usr/bin/$f" ] || continue
    [ "$("$root/usr/bin/$f" --version)" = "$f $version" ] ||
      fail "$f --version says $("$root/usr/bin/$f" --version), not $version"
  done
  zcat "$root/usr/share/doc/dorvik/changelog.gz" | head -1 | grep -q "^dorvik ($version) " ||
    fail "the changelog's first entry is not $version"

  for size in 16 22 24 32 48 64 128 256; do
    f="$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
    [ -f "$f" ] || continue
    file -b "$f" | grep -q "^PNG image data, $size x $size, 8-bit/color RGBA" ||
      fail "${size}x${size} icon is $(file -b "$f")"
  done
  f="$root/usr/share/icons/hicolor/scalable/apps/$id.svg"
  [ ! -f "$f" ] || file -b "$f" | grep -q "SVG" || fail "scalable icon is $(file -b "$f")"

  for f in "$root"/usr/share/man/man1/*.1.gz; do
    [ -f "$f" ] || continue
    local warnings
    warnings=$(zcat "$f" | LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z 2>&1) ||
      fail "$(basename "$f") does not format"
    [ -z "$warnings" ] || fail "$(basename "$f"): $warnings"
  done
}

case $mode in
install)
  DESTDIR="$work/root" cmake --install "$build" --prefix /usr >"$work/log" 2>&1 ||
    { cat "$work/log" >&2; exit 1; }
  check_tree "$work/root"
  ;;
package)
  (cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/out") >"$work/log" 2>&1 ||
    { cat "$work/log" >&2; exit 1; }
  deb="$work/out/dorvik_${version}_$(dpkg --print-architecture).deb"
  [ -f "$deb" ] || { ls -R "$work/out" >&2; fail "no $(basename "$deb")"; exit 1; }

  control=$(dpkg-deb -f "$deb")
  for field in "Package: dorvik" "Version: $version" "Section: utils"; do
    grep -qx "$field" <<<"$control" || fail "control has no \"$field\""
  done
  grep -q '^Maintainer: .*<.*@.*>' <<<"$control" || fail "control has no maintainer"
  grep -q '^Depends: .*libqt6widgets6' <<<"$control" ||
    fail "Depends does not name libqt6widgets6: $(grep '^Depends' <<<"$control")"
  dpkg-deb -c "$deb" >"$work/contents"
  awk '$2 != "root/root" { print; bad = 1 } END { exit bad }' "$work/contents" ||
    fail "package holds files not owned by root"

  # The listing must be the installed tree; unpacked, the same checks hold.
  dpkg-deb -x "$deb" "$work/root"
  check_tree "$work/root"

  # Debian's own checks: no error, no warning (the overrides give their
  # reasons), and both programs built with the hardening flags.
  lintian --fail-on error,warning "$deb" >"$work/lintian" 2>&1 ||
    fail "lintian: $(cat "$work/lintian")"
  for f in "$work"/root/usr/bin/*; do
    hardening-check --nocfprotection "$f" >"$work/hardening" 2>&1 ||
      fail "hardening-check: $(cat "$work/hardening")"
  done
  ;;
*)
  echo "usage: check.sh install|package BUILD_DIR VERSION WITH_CLI" >&2
  exit 2
  ;;
esac

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "all checks passed ($mode)"
