#!/usr/bin/env bash
# The Debian package: `cpack -G DEB` makes it with its dependencies, `dpkg -x`
# unpacks it into a temporary root, and usr/games/zazo-puzzle there runs from
# another working directory, as an unprivileged user and as root, each with
# a fresh home: the pictures come from usr/share/games/zazo-puzzle, the best
# score goes to ~/.local/share/zazo-puzzle/score.dat and shows on the next
# title, and nothing is written under the unpacked root. Debian's own
# checker, lintian, finds no error and no warning in the package.
source "$(dirname "$0")/install_lib.bash"

command -v cpack > /dev/null || e2e_fail "cpack is missing"
command -v dpkg-shlibdeps > /dev/null || e2e_fail "dpkg-shlibdeps is missing (package dpkg-dev)"
(cd "$E2E_BUILD" && cpack -G DEB -B "$E2E_TMP/pkg") > "$E2E_TMP/cpack.log" 2>&1 ||
  { cat "$E2E_TMP/cpack.log"; e2e_fail "cpack -G DEB failed"; }
deb=$(ls "$E2E_TMP"/pkg/zazo-puzzle_*.deb 2> /dev/null | head -n 1)
[ -n "$deb" ] || e2e_fail "no zazo-puzzle_*.deb made"
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

# Errors and warnings fail; lintian's informational and pedantic notes do not.
command -v lintian > /dev/null || e2e_fail "lintian is missing (scripts/install-deps.sh installs it)"
if ! lintian --fail-on error,warning --no-tag-display-limit "$deb" > "$E2E_TMP/lintian.log" 2>&1 ||
  grep -E "^[EW]: " "$E2E_TMP/lintian.log"; then
  cat "$E2E_TMP/lintian.log"
  e2e_fail "lintian reports errors or warnings (or did not run)"
fi
echo "lintian: no errors, no warnings"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for needed in libsdl2-2.0-0 libsdl2-ttf-2.0-0 libfontconfig1 libvorbisfile3 fonts-ipafont-gothic \
  xdg-utils libc6; do
  grep -q "$needed" <<< "$depends" || e2e_fail "Depends lacks $needed"
done
[ "$(dpkg-deb -f "$deb" Section)" = games ] || e2e_fail "not in section games"
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || e2e_fail "no maintainer"
[ "$(dpkg-deb -f "$deb" Description | wc -l)" -ge 5 ] || e2e_fail "the description is one line"

root="$E2E_TMP/root"
dpkg -x "$deb" "$root"
id=$(basename "$root"/usr/share/metainfo/*.metainfo.xml .metainfo.xml)
for f in usr/games/zazo-puzzle usr/games/zazo-scores usr/share/games/zazo-puzzle/graph/title.bmp \
  usr/share/games/zazo-puzzle/system/nil.ogg "usr/share/applications/$id.desktop" \
  usr/share/man/man6/zazo-puzzle.6.gz usr/share/man/man1/zazo-scores.1.gz \
  usr/share/doc/zazo-puzzle/copyright usr/share/doc/zazo-puzzle/changelog.gz \
  usr/share/mime/packages/zazo-puzzle.xml; do
  [ -e "$root/$f" ] || e2e_fail "the package lacks /$f"
done
for size in 16 24 32 48 64 128 256 512; do
  icon="$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
  [ "$(identify -format %wx%h "$icon" 2> /dev/null)" = "${size}x${size}" ] ||
    e2e_fail "no ${size}x${size} icon $icon"
done
grep -q "^Icon=$id$" "$root/usr/share/applications/$id.desktop" || e2e_fail "the desktop entry names another icon"
# No folder of the build or of the install compiled into the program.
if strings "$root/usr/games/zazo-puzzle" | grep -E "$E2E_BUILD|/usr/share/games/zazo"; then
  e2e_fail "the program holds an absolute path"
fi

inst_play_and_save "$INST_USER" "$root/usr/games/zazo-puzzle" "$root/usr/share/games/zazo-puzzle/" "$root"
inst_play_and_save root "$root/usr/games/zazo-puzzle" "$root/usr/share/games/zazo-puzzle/" "$root"
echo "ok"
