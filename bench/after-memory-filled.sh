#!/usr/bin/env bash
# Times zarn runs that start right after a process has touched most of the
# free memory and exited, the case where fresh (and huge) pages cost most.
#
#   bench/after-memory-filled.sh [-n rounds] [-f fraction] zarn_a zarn_b -- zarn arguments...
#
# Each round runs the filler and then zarn_a, the filler and then zarn_b
# (the order alternates from one round to the next), and prints one line a
# run; the end gives, for each binary, the median, the lowest and the
# highest wall time (s) and the median peak memory (KB). The filler takes
# Fraction (default 0.7) of the memory the system reports available.
set -euo pipefail
rounds=5
fraction=0.7
while getopts "n:f:" option; do
  case $option in
    n) rounds=$OPTARG ;;
    f) fraction=$OPTARG ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
[ $# -ge 3 ] && [ "$3" = "--" ] || { echo "usage: $0 [-n rounds] [-f fraction] zarn_a zarn_b -- arguments..." >&2; exit 2; }
binaries=("$1" "$2")
shift 3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The filler writes a byte in every page of a private block of the size given.
cat > "$work/fill.cpp" <<'SOURCE'
#include <sys/mman.h>
#include <unistd.h>
#include <cstdlib>
int main(int, char** argv) {
  const std::size_t size = std::strtoull(argv[1], nullptr, 10);
  void* block = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) return 1;
  const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
  for (std::size_t k = 0; k < size; k += page) static_cast<volatile char*>(block)[k] = 1;
  return 0;
}
SOURCE
c++ -O2 -o "$work/fill" "$work/fill.cpp"
fill_memory() {
  "$work/fill" "$(awk -v f="$fraction" '/^MemAvailable:/ { printf "%d", $2 * 1024 * f }' /proc/meminfo)"
}

declare -A times
for ((round = 0; round < rounds; round++)); do
  for k in 0 1; do
    which=$(( (round + k) % 2 ))
    fill_memory
    start=$EPOCHREALTIME
    /usr/bin/time -f "%M" -o "$work/time" "${binaries[$which]}" "$@" > /dev/null
    seconds=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.3f", b - a }')
    read -r kilobytes < "$work/time"
    echo "round $round ${binaries[$which]}: $seconds s, $kilobytes KB"
    times[$which]+="$seconds $kilobytes"$'\n'
  done
done
# Median of the numbers on standard input.
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
for which in 0 1; do
  seconds=$(printf '%s' "${times[$which]}" | cut -d' ' -f1 | sort -n)
  printf '%s: median %s s, lowest %s, highest %s, peak memory %s KB (median), %d runs\n' "${binaries[$which]}" \
    "$(median <<<"$seconds")" "$(head -1 <<<"$seconds")" "$(tail -1 <<<"$seconds")" \
    "$(printf '%s' "${times[$which]}" | cut -d' ' -f2 | median)" "$rounds"
done
