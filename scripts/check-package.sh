#!/usr/bin/env bash
# Builds the Debian package from a configured build folder and checks it as a user would meet
# it: its control fields and dependencies, the files it holds, the program it carries (extracted,
# run in batch mode), its manual page and lintian's verdict. Every failed check is printed with
# FAIL and makes the script end non-zero; the last line sums up.
#   scripts/check-package.sh            the build folder build/
#   scripts/check-package.sh BUILD_DIR
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

failures=0
checks=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
pass() {
  checks=$((checks + 1))
}
check() {  # check DESCRIPTION COMMAND...: one check, passed when the command succeeds
  local what=$1
  shift
  if "$@"; then pass; else fail "$what"; fi
}

if [ ! -f "$build/CPackConfig.cmake" ]; then
  echo "FAIL: $build is not a configured build folder" >&2
  exit 1
fi
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
deb=$build/curvalis_${version}_${arch}.deb

if ! cmake --build "$build" -j2 >"$build/package-build.log" 2>&1; then
  cat "$build/package-build.log" >&2
  echo "FAIL: the build" >&2
  exit 1
fi
rm -f "$build"/curvalis_*.deb
if ! (cd "$build" && timeout 300 cpack -G DEB >cpack.log 2>&1); then
  cat "$build/cpack.log" >&2
  echo "FAIL: cpack -G DEB" >&2
  exit 1
fi
[ -f "$deb" ] || { ls "$build"/*.deb >&2; echo "FAIL: cpack did not make $deb" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/curvalis-package.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Control fields. The dependencies are the runtime packages of the Qt 6 libraries the program
# links, never a development package.
dpkg-deb --info "$deb"
field() { dpkg-deb --field "$deb" "$1"; }
check "Package is $(field Package), not curvalis" [ "$(field Package)" = curvalis ]
check "Version is $(field Version), not $version" [ "$(field Version)" = "$version" ]
check "Section is $(field Section), not math" [ "$(field Section)" = math ]
check "no Maintainer field" [ -n "$(field Maintainer)" ]
check "the description has no long part" [ "$(field Description | wc -l)" -gt 5 ]
depends=$(field Depends)
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libqt6svg6; do
  check "Depends does not name $lib: $depends" grep -q "\\b$lib\\b" <<<"$depends"
done
# Qt's translations are read at run time, so no library names them.
check "Depends does not name qt6-translations-l10n: $depends" \
  grep -q "\\bqt6-translations-l10n\\b" <<<"$depends"
# The exact engine's helper carries the computer algebra system's run-time library into the
# dependencies.
check "Depends does not name libgiac0: $depends" grep -q "\\blibgiac0\\b" <<<"$depends"
check "Depends names a development package: $depends" \
  bash -c '! grep -Eq -- "-dev\\b" <<<"$1"' _ "$depends"

# The files: the program, the launcher entry, the icons, the metainfo, the manual page and the
# documents Debian asks for.
dpkg-deb --contents "$deb" | awk '{print $NF}' | sed 's|^\./|/|' >"$work/contents"
for path in /usr/bin/curvalis /usr/bin/curvalis-exact \
  /usr/share/applications/org.curvalis.Curvalis.desktop \
  /usr/share/icons/hicolor/scalable/apps/curvalis.svg \
  /usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/curvalis.png \
  /usr/share/metainfo/org.curvalis.Curvalis.metainfo.xml \
  /usr/share/man/man1/curvalis.1.gz \
  /usr/share/doc/curvalis/copyright \
  /usr/share/doc/curvalis/changelog.gz; do
  check "the package does not hold $path" grep -qx "$path" "$work/contents"
done

# The program as the package carries it: stripped, and able to run a batch command that draws,
# writes its trace and writes a picture.
root=$work/root
dpkg-deb -x "$deb" "$root"
program=$root/usr/bin/curvalis
check "the packaged program is not stripped" \
  bash -c 'file -b "$1" | grep -q ", stripped"' _ "$program"
status=0
CURVALIS_DATA_DIR=$work/data QT_QPA_PLATFORM=offscreen timeout 60 "$program" --batch \
  --formula 'x^2-1' mGrafico mZeri --trace "$work/trace.jsonl" --image "$work/graph.png" \
  >"$work/batch.out" 2>&1 || status=$?
check "the packaged program exits $status on a batch run: $(head -c 400 "$work/batch.out")" \
  [ "$status" -eq 0 ]
trace=$work/trace.jsonl
check "the trace holds no command mZeri" grep -q '^{"op":"command","name":"mZeri"}$' "$trace"
check "the trace holds no line of the graph" grep -q '^{"op":"line","surface":"main"' "$trace"
check "the trace lists no zero at x=-1" grep -q '"text":" *x=-1 ' "$trace"
check "no PNG picture written" \
  bash -c '[ "$(head -c 8 "$1" | od -An -tx1 | tr -d " ")" = 89504e470d0a1a0a ]' _ "$work/graph.png"

# The program itself never links the computer algebra system (its start-up and memory stay
# as they were); the helper beside it does, and answers a request on its channel.
helper=$root/usr/bin/curvalis-exact
check "the packaged program links libgiac" \
  bash -c '! readelf -d "$1" | grep -q "NEEDED.*libgiac"' _ "$program"
check "the packaged helper does not link libgiac" \
  bash -c 'readelf -d "$1" | grep -q "NEEDED.*libgiac"' _ "$helper"
answer=$(echo '{"id":7,"op":"diff","e":"(^ x 3)","n":1}' | timeout 30 "$helper" 2>/dev/null)
check "the packaged helper answers $answer" \
  [ "$answer" = '{"id":7,"ok":true,"r":["(* 3 (^ x 2))"]}' ]

# The manual page renders without a warning, and names every option of the batch usage.
page=$root/usr/share/man/man1/curvalis.1.gz
check "the manual page is not gzip data" bash -c 'file -b "$1" | grep -q "^gzip"' _ "$page"
zcat "$page" | groff -man -ww -z >"$work/groff.out" 2>&1
check "groff -ww warns about the manual page: $(cat "$work/groff.out")" [ ! -s "$work/groff.out" ]
MAN_DISABLE_SECCOMP=1 MANWIDTH=80 man --warnings -l "$page" >"$work/page.txt" 2>"$work/man.err"
check "man -l warns: $(cat "$work/man.err")" [ ! -s "$work/man.err" ]
check "man -l renders nothing" grep -q "BATCH MODE" "$work/page.txt"
zcat "$page" | sed 's/\\-/-/g' >"$work/page.roff"
"$program" --batch --no-such-option >/dev/null 2>"$work/usage"
for option in $(grep -o -- '--[a-z-]*' "$work/usage" | sort -u); do
  [ "$option" = --no-such-option ] && continue
  check "the manual page does not document $option" grep -q -- "$option" "$work/page.roff"
done

# lintian: no error; warnings and notes are printed for the record.
lintian_root=()
[ "$(id -u)" -eq 0 ] && lintian_root=(--allow-root)
timeout 300 lintian "${lintian_root[@]}" --tag-display-limit 0 -I "$deb" >"$work/lintian" 2>&1
lintian_status=$?
cat "$work/lintian"
errors=$(grep -c '^E: ' "$work/lintian")
warnings=$(grep -c '^W: ' "$work/lintian")
check "lintian reports $errors errors" [ "$errors" -eq 0 ]
if [ "$lintian_status" -ne 0 ] && [ "$errors" -eq 0 ]; then
  fail "lintian ended with status $lintian_status"
fi

size=$(stat -c %s "$deb")
echo "Depends: $depends"
echo "package: $(basename "$deb"), $size bytes, $checks checks passed, $failures failed;" \
  "lintian: $errors errors, $warnings warnings"
[ "$failures" -eq 0 ]
