#!/usr/bin/env bash
# A full-capacity configuration (40 files, 2793120 samples) downloaded to the
# virtual board through morvane-cli, erase time 0 and the HID log off: wall
# time and peak memory of the whole run. Targets: under 1.5 s, under 100 MB.
set -euo pipefail
source "$(dirname "$0")/full_capacity_font.sh"
/usr/bin/time -f 'full-capacity download: %e s wall, %M KB peak memory' \
  "$bin/morvane-cli" --virtual-board sound,erase-ms=0 download "$config" >/dev/null 2>"$work/err" || {
  cat "$work/err" >&2
  exit 1
}
grep -q "SUCCESS !" "$work/err" || { cat "$work/err" >&2; exit 1; }
tail -n 1 "$work/err"
