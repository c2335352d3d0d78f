#!/bin/sh
# Installs the build into a fresh prefix and checks what a desktop needs from it: the program,
# the launcher entry, the icons of the hicolor theme at their sizes and the AppStream metainfo,
# the last two validated by the desktop's own tools. Skips (77) where those tools are missing.
# Usage: check_install.sh BUILD_DIR [CMAKE]
set -eu
build=$1
cmake=${2:-cmake}
id=org.curvalis.Curvalis

for tool in desktop-file-validate appstreamcli; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is not installed (Debian packages desktop-file-utils, appstream)"
    exit 77
  fi
done

prefix=$(mktemp -d "${TMPDIR:-/tmp}/curvalis-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT
"$cmake" --install "$build" --prefix "$prefix" >"$prefix/install.log" 2>&1 || {
  cat "$prefix/install.log"
  echo "FAIL: cmake --install"
  exit 1
}

fail=0
need() {
  if [ ! -f "$prefix/$1" ]; then
    echo "FAIL: $1 is not installed"
    fail=1
  fi
}

need bin/curvalis
[ -x "$prefix/bin/curvalis" ] || { echo "FAIL: bin/curvalis is not executable"; fail=1; }
# The exact engine's helper, which the program looks for beside itself.
need bin/curvalis-exact
[ -x "$prefix/bin/curvalis-exact" ] || { echo "FAIL: bin/curvalis-exact is not executable"; fail=1; }
need share/applications/$id.desktop
need share/metainfo/$id.metainfo.xml
need share/icons/hicolor/scalable/apps/curvalis.svg

# Each PNG must be as large as the folder it sits in says (width and height from its header).
for size in 16 32 48 64 128 256; do
  png=share/icons/hicolor/${size}x${size}/apps/curvalis.png
  need "$png"
  [ -f "$prefix/$png" ] || continue
  set -- $(od -An -tu1 -j16 -N8 "$prefix/$png")
  width=$(( ($1 << 24) | ($2 << 16) | ($3 << 8) | $4 ))
  height=$(( ($5 << 24) | ($6 << 16) | ($7 << 8) | $8 ))
  if [ "$width" -ne "$size" ] || [ "$height" -ne "$size" ]; then
    echo "FAIL: $png is ${width}x${height}"
    fail=1
  fi
done

if [ -f "$prefix/share/applications/$id.desktop" ]; then
  desktop-file-validate "$prefix/share/applications/$id.desktop" || fail=1
  grep -q '^Icon=curvalis$' "$prefix/share/applications/$id.desktop" ||
    { echo "FAIL: the desktop entry does not name the icon curvalis"; fail=1; }
fi
if [ -f "$prefix/share/metainfo/$id.metainfo.xml" ]; then
  appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || fail=1
fi

[ "$fail" -eq 0 ] && echo "installed and valid: $prefix"
exit "$fail"
