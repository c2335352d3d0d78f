#!/bin/sh
# Runs each batch script of DATA (NAME.args, one argument a line) in a fresh folder with a
# fresh data folder, and compares what it draws with what it drew when the script was
# recorded: the trace byte for byte (NAME.trace.gz), the exit code, the final picture and the
# files the commands write by their SHA-256 (NAME.sha256). The printed PDF is left out: it
# carries the time it was made.
# usage: golden_traces.sh PROGRAM DATA [--update]   (--update records them again)
set -u
program=$1
data=$2
update=${3:-}
status=0
for args in "$data"/*.args; do
  name=$(basename "$args" .args)
  tmp=$(mktemp -d)
  set --
  while IFS= read -r line; do set -- "$@" "$line"; done <"$args"
  (
    cd "$tmp" || exit 2
    CURVALIS_DATA_DIR="$tmp/data" QT_QPA_PLATFORM=offscreen \
      "$program" --batch "$@" --trace run.trace --image picture.bmp 2>/dev/null
    echo "exit $?"
    sha256sum picture.bmp
    if [ -d data ]; then
      cd data && find . -type f ! -name '*.pdf' | LC_ALL=C sort | xargs -r sha256sum
    fi
  ) >"$tmp/$name.sha256"
  # The data folder's path would appear in file events: written TMP.
  sed "s|$tmp|TMP|g" "$tmp/run.trace" >"$tmp/$name.trace"
  if [ "$update" = "--update" ]; then
    gzip -9n -c "$tmp/$name.trace" >"$data/$name.trace.gz"
    cp "$tmp/$name.sha256" "$data/"
  elif ! gzip -dc "$data/$name.trace.gz" | cmp -s - "$tmp/$name.trace" ||
    ! cmp -s "$tmp/$name.sha256" "$data/$name.sha256"; then
    echo "$name: what the program draws changed"
    gzip -dc "$data/$name.trace.gz" | diff - "$tmp/$name.trace" | head -40
    diff "$data/$name.sha256" "$tmp/$name.sha256"
    status=1
  fi
  rm -rf "$tmp"
done
[ $status = 0 ] && echo "golden traces: every command draws as recorded"
exit $status
