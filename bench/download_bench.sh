#!/usr/bin/env bash
# A full-capacity configuration (40 files, 2793120 samples) downloaded to the
# virtual board through morvane-cli, erase time 0 and the HID log off: wall
# time and peak memory of the whole run. Targets: under 1.5 s, under 100 MB.
set -euo pipefail
bin=$(cd "$(dirname "$0")/../bin" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
per_file=$((2793120 / 40))
config="$work/full.lscfg"
add() {  # add NAME: one LSU file of per_file random samples, path and volume
  head -c $((4 + 2 * per_file)) /dev/urandom >"$work/$1.lsu"
  printf '%s\r\n100\r\n' "$work/$1.lsu" >>"$config"
}
for single in BOOT PWRON PWROFF IDLE; do
  printf '%s\r\n' "$single" >>"$config"
  add "$single"
done
for list in MOTION IMPACT LOCKUP; do
  printf '%s-12\r\n' "$list" >>"$config"
  for i in $(seq 1 12); do add "$list$i"; done
done
cat "$work"/*.lsu >/dev/null  # into the page cache
/usr/bin/time -f 'full-capacity download: %e s wall, %M KB peak memory' \
  "$bin/morvane-cli" --virtual-board sound,erase-ms=0 download "$config" >/dev/null 2>"$work/err" || {
  cat "$work/err" >&2
  exit 1
}
grep -q "SUCCESS !" "$work/err" || { cat "$work/err" >&2; exit 1; }
tail -n 1 "$work/err"
