#!/usr/bin/env bash
# A full-capacity configuration (40 files, 2793120 samples) checked with
# morvane-cli verify on the virtual board against its download there
# (erase time 0): the commands each sends, counted in the HID log, and the
# wall time of each without the log, the best of three runs. The check
# sends one CheckCRC per file and one for the table; the download erases
# and writes the whole flash.
set -euo pipefail
source "$(dirname "$0")/full_capacity_font.sh"
board="sound,erase-ms=0,flash=$work/flash.bin"

# run LOG COMMAND...: morvane-cli on the board, logging to LOG unless it
# is "-"; stops the benchmark when the command fails.
run() {
  local log=$1
  shift
  local options=(--virtual-board "$board")
  [[ $log == - ]] || options+=(--hid-log "$log")
  "$bin/morvane-cli" "${options[@]}" "$@" >"$work/out" 2>"$work/err" || {
    cat "$work/out" "$work/err" >&2
    exit 1
  }
}
# best COMMAND...: the shortest wall time of three runs, in seconds.
best() {
  local best=""
  for _ in 1 2 3; do
    /usr/bin/time -f %e -o "$work/time" "$bin/morvane-cli" --virtual-board "$board" "$@" \
      >/dev/null 2>&1
    local t
    t=$(tail -n 1 "$work/time")
    if [[ -z $best ]] || awk "BEGIN { exit !($t < $best) }"; then best=$t; fi
  done
  echo "$best"
}
commands() { grep -c '^W ' "$1"; }
checks() { grep -c '^W 1e' "$1" || true; }

run "$work/download.log" download "$config"
run "$work/verify.log" verify "$config"
grep -q "The board holds this sound configuration." "$work/out" || { cat "$work/out" >&2; exit 1; }
download_time=$(best download "$config")
verify_time=$(best verify "$config")
echo "full-capacity download: $(commands "$work/download.log") commands, $download_time s wall"
echo "full-capacity verify: $(commands "$work/verify.log") commands" \
  "($(checks "$work/verify.log") CheckCRC), $verify_time s wall"
