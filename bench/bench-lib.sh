# What the halves of bench/compare.sh share; sourced, not run.

# bench_medians PROGRAM REPETITIONS: one "name<TAB>µs" line per benchmark of
# a Google Benchmark program, its median real time over the repetitions.
bench_medians() {
  "$1" --benchmark_repetitions="$2" --benchmark_report_aggregates_only=true \
    --benchmark_min_time=0.2 --benchmark_format=csv 2>/dev/null |
    awk -F, '$1 ~ /_median"$/ {
      name = $1; gsub(/"/, "", name); sub(/_median$/, "", name)
      scale = $5 == "ns" ? 0.001 : $5 == "us" ? 1 : $5 == "ms" ? 1000 : 1000000
      printf "%s\t%.6g\n", name, $3 * scale
    }'
}

# best_batch_us INPUT TOOL [ARG...]: the fastest of three runs of
# `TOOL ARG... --batch < INPUT`, in µs. Wine's start-up time varies by a
# tenth of a second and more; the fastest run is the one it spoiled least.
best_batch_us() {
  local input=$1 best="" start took
  shift
  for _ in 1 2 3; do
    start=$(date +%s%N)
    "$@" --batch <"$input" >/dev/null
    took=$((($(date +%s%N) - start) / 1000))
    if [ -z "$best" ] || [ "$took" -lt "$best" ]; then best=$took; fi
  done
  echo "$best"
}
