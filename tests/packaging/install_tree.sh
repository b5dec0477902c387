#!/usr/bin/env bash
# Installs the built project into a temporary prefix and checks the tree: every file where Debian
# expects it and nothing else, the desktop entry and AppStream metadata valid, the manual pages made
# from the programs' help, and the installed program reporting the project's version.
# Usage: install_tree.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" >/dev/null

expected=(
  bin/zavo-driver
  bin/zavo-apparatus-sim
  lib/udev/rules.d/60-zavo-driver.rules
  share/applications/org.zavo.driver.desktop
  share/metainfo/org.zavo.driver.metainfo.xml
  share/icons/hicolor/scalable/apps/org.zavo.driver.svg
  share/icons/hicolor/128x128/apps/org.zavo.driver.png
  share/man/man1/zavo-driver.1.gz
  share/man/man1/zavo-apparatus-sim.1.gz
  share/doc/zavo-driver/README.md
  share/doc/zavo-driver/README.simulator.md
  share/doc/zavo-driver/guide.md
  share/doc/zavo-driver/copyright
  share/doc/zavo-driver/changelog.gz
)
# The guide's pictures: every one it names, and no other.
source=$(cd "$(dirname "$0")/../.." && pwd)
while read -r picture; do
  expected+=("share/doc/zavo-driver/$picture")
done < <(grep -o 'pictures/[a-z0-9-]*\.png' "$source/docs/guide.md" | sort -u)
# The Moseley's-law workbook is installed when the build made it beside the program.
[ -f "$build/app/MLaw.xlsx" ] && expected+=(share/zavo-driver/MLaw.xlsx)

actual=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
if [ "$actual" != "$wanted" ]; then
  fail "installed files differ from the expected tree:"
  diff <(echo "$wanted") <(echo "$actual") | sed 's/^/  /' || true
fi

for program in zavo-driver zavo-apparatus-sim; do
  [ -x "$prefix/bin/$program" ] || fail "$program is not executable"
  got=$("$prefix/bin/$program" --version) || fail "$program --version failed"
  [ "$got" = "$program $version" ] || fail "$program --version says \"$got\", not \"$program $version\""
done

desktop-file-validate "$prefix/share/applications/org.zavo.driver.desktop" || fail "desktop entry invalid"
metainfo=$prefix/share/metainfo/org.zavo.driver.metainfo.xml
appstreamcli validate --no-net "$metainfo" >/dev/null || {
  appstreamcli validate --no-net "$metainfo" || true
  fail "AppStream metadata invalid"
}
grep -q "<release version=\"$version\"" "$metainfo" || fail "metadata lacks the release $version"
grep -q '<screenshot type="default">' "$metainfo" || fail "metadata lacks a screenshot"

png=$prefix/share/icons/hicolor/128x128/apps/org.zavo.driver.png
size=$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print("%dx%d" % struct.unpack(">II", d[16:24]) if d[:8]==b"\x89PNG\r\n\x1a\n" else "not a PNG")' "$png")
[ "$size" = 128x128 ] || fail "icon PNG is $size"

rule=$prefix/lib/udev/rules.d/60-zavo-driver.rules
for word in 'ATTRS{idVendor}=="0403"' 'ATTRS{idProduct}=="6001"' 'ATTRS{product}=="QM417"' 'TAG+="uaccess"' 'SYMLINK+="zavo-apparatus"'; do
  grep -qF "$word" "$rule" || fail "device rule lacks $word"
done

# The manual pages carry what the programs' help says.
page=$(zcat "$prefix/share/man/man1/zavo-driver.1.gz")
for word in 'export\-text' '\-\-simulate' '\-\-port' '\-\-roi' ZAVO_PORT dialout "$version"; do
  grep -qF -- "$word" <<<"$page" || fail "zavo-driver.1 lacks $word"
done
page=$(zcat "$prefix/share/man/man1/zavo-apparatus-sim.1.gz")
for word in '\-\-time\-scale' '\-\-anode' ZAVO_SIM; do
  grep -qF -- "$word" <<<"$page" || fail "zavo-apparatus-sim.1 lacks $word"
done
zcat "$prefix/share/doc/zavo-driver/changelog.gz" | head -1 | grep -q "^zavo-driver ($version)" ||
  fail "changelog does not start with version $version"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "install tree under a temporary prefix: all checks passed"
