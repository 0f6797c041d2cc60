#!/usr/bin/env bash
# The desktop entry and the AppStream metainfo as the build writes them pass
# desktop-file-validate and `appstreamcli validate --no-net --strict` (which
# fails on any error, warning or info) and name the same id.
set -u
build=$(cd "$1" && pwd)
fail() {
  echo "FAIL: $*"
  exit 1
}
for tool in desktop-file-validate appstreamcli; do
  command -v "$tool" > /dev/null || fail "$tool is missing (scripts/install-deps.sh installs it)"
done
desktop=$(ls "$build"/dist/*.desktop 2> /dev/null | head -n 1)
metainfo=$(ls "$build"/dist/*.metainfo.xml 2> /dev/null | head -n 1)
[ -n "$desktop" ] && [ -n "$metainfo" ] || fail "no desktop entry or metainfo in $build/dist"
id=$(basename "$metainfo" .metainfo.xml)
[ "$(basename "$desktop")" = "$id.desktop" ] || fail "the desktop entry is not named $id.desktop"

said=$(desktop-file-validate "$desktop" 2>&1)
rc=$?
echo "desktop-file-validate $(basename "$desktop"): status $rc${said:+, said: $said}"
[ $rc -eq 0 ] && [ -z "$said" ] || fail "desktop-file-validate complained"

said=$(appstreamcli validate --no-net --strict "$metainfo" 2>&1)
rc=$?
echo "appstreamcli validate --no-net --strict: status $rc"
echo "$said"
[ $rc -eq 0 ] || fail "appstreamcli validate failed"
grep -qE "^(E|W|I):" <<< "$said" && fail "appstreamcli reported errors, warnings or infos"

grep -q "<id>$id</id>" "$metainfo" || fail "the metainfo id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
  fail "the metainfo launches another desktop entry"
grep -q "^Icon=$id$" "$desktop" || fail "the desktop entry's icon is not $id"
echo "ok"
