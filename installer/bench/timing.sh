# The timing both installer benchmarks use: each command's wall time, its
# output thrown away, and pairs of commands run in turn so that a change in
# the machine's load falls on both. Needs `log` from the caller.
now() { date +%s.%N; }
# seconds COMMAND...: the wall time of one run.
seconds() {
  local t0 t1
  t0=$(now)
  "$@" >/dev/null 2>&1 || { log "failed: $*"; return 1; }
  t1=$(now)
  echo "$t1 - $t0" | bc -l
}
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# pair N PREPARE-A A PREPARE-B B: runs A and B in turn N times (each after
# its PREPARE, untimed); sets ta, tb (medians) and ratio (median of A/B).
pair() {
  local n="$1" prepA="$2" a="$3" prepB="$4" b="$5" i x y
  local as=() bs=() rs=()
  for ((i = 0; i < n; i++)); do
    $prepA; x=$(seconds $a)
    $prepB; y=$(seconds $b)
    as+=("$x") bs+=("$y") rs+=("$(echo "$x / $y" | bc -l)")
  done
  ta=$(median "${as[@]}") tb=$(median "${bs[@]}") ratio=$(median "${rs[@]}")
}
# verdict CONDITION (bc): PASS or FAIL.
verdict() { [ "$(echo "$1" | bc -l)" = 1 ] && echo PASS || echo FAIL; }
f2() { printf '%.2f' "$1"; }
