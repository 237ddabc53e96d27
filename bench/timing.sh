# Timing helpers the benchmark scripts source.

# Runs a command and prints its wall time in microseconds.
elapsed() {
    local start=$EPOCHREALTIME
    "$@"
    local end=$EPOCHREALTIME
    echo $((${end/./} - ${start/./}))
}
# The median of the numbers on standard input, one per line.
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# Microseconds as milliseconds with one decimal.
ms() { awk -v us="$1" 'BEGIN { printf "%.1f", us / 1000 }'; }
