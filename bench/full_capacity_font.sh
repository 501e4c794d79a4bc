# Sourced by the benchmarks that need a full-capacity font: 40 LSU files of
# random samples (2793120 in all) and their configuration file.
#
# Sourcing it also sets the scene: bin (the programs' folder beside bench/),
# work (a scratch folder removed on exit) and config, the font's
# configuration in work, written and read into the page cache.
# full_capacity_font DIR: writes the font into DIR and its configuration to
# DIR/full.lscfg, then reads the files once into the page cache.
full_capacity_font() {
  local dir=$1 per_file=$((2793120 / 40)) config="$1/full.lscfg"
  add() {  # add NAME: one LSU file of per_file random samples, path and volume
    head -c $((4 + 2 * per_file)) /dev/urandom >"$dir/$1.lsu"
    printf '%s\r\n100\r\n' "$dir/$1.lsu" >>"$config"
  }
  : >"$config"
  for single in BOOT PWRON PWROFF IDLE; do
    printf '%s\r\n' "$single" >>"$config"
    add "$single"
  done
  for list in MOTION IMPACT LOCKUP; do
    printf '%s-12\r\n' "$list" >>"$config"
    for i in $(seq 1 12); do add "$list$i"; done
  done
  cat "$dir"/*.lsu >/dev/null
}

bin=$(cd "$(dirname "${BASH_SOURCE[0]}")/../bin" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
full_capacity_font "$work"
config="$work/full.lscfg"
