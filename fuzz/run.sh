#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each of them for a while, as many side by
# side as the machine has cores.
#
#   fuzz/run.sh [SECONDS]     (default 60 seconds per target)
#
# Every executable named <name>_fuzz in the fuzz build is run with
#   - the seed corpus fuzz/corpus/<name>/ (read only) and a scratch corpus
#     fuzz/corpus-<name>/ that keeps what earlier runs found (delete it to start afresh);
#   - the options listed in fuzz/<name>_fuzz.options, one per line ("-dict=" names a file
#     in fuzz/), or else the dictionary fuzz/<name>_fuzz.dict or fuzz/<name>.dict;
#   - crash reproducers written to fuzz/artifacts/<name>/;
#   - its output in <build>/fuzz-logs/<name>_fuzz.log.
# The targets run nproc at a time (FUZZ_JOBS overrides it), so the whole run takes about
# targets x SECONDS / nproc. Each target's statistics are printed when it finishes. The build
# directory is build-fuzz (TESSEL_FUZZ_BUILD overrides it). The script fails when any target
# finds a crash, a leak or a timeout, after every target has run.
set -euo pipefail

seconds="${1:-60}"
fuzz_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$fuzz_dir")"
build="${TESSEL_FUZZ_BUILD:-$root/build-fuzz}"
jobs="${FUZZ_JOBS:-$(nproc)}"
if ! [[ "$jobs" =~ ^[1-9][0-9]*$ ]]; then
    echo "run.sh: FUZZ_JOBS \"$jobs\" is not a positive number" >&2
    exit 1
fi

if [[ ! -f "$build/build.ninja" ]]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
        -DTESSEL_FUZZ=ON -DTESSEL_TESTS=OFF -DTESSEL_BENCH=OFF
fi
cmake --build "$build"

mapfile -t targets < <(find "$build/bin" -maxdepth 1 -type f -perm -u+x -name '*_fuzz' | sort)
if [[ ${#targets[@]} -eq 0 ]]; then
    echo "run.sh: no fuzz targets in $build/bin" >&2
    exit 1
fi

# Leaks inside system libraries (fontconfig's lifetime caches) are not ours to report.
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
# Targets that open the editor need a platform without a display.
export QT_QPA_PLATFORM=offscreen

logs="$build/fuzz-logs"
mkdir -p "$logs"

# The arguments of one target: the time, the reproducers' place, its options and dictionary,
# then its corpora. Fills the array args.
target_args() {
    local exe="$1" name="$2"
    local seeds="$fuzz_dir/corpus/$name" scratch="$fuzz_dir/corpus-$name"
    local artifacts="$fuzz_dir/artifacts/$name" option dict have_dict=0
    mkdir -p "$scratch" "$artifacts"
    args=(-max_total_time="$seconds" -timeout=10 -print_final_stats=1
          -artifact_prefix="$artifacts/")
    if [[ -f "$fuzz_dir/$exe.options" ]]; then
        while IFS= read -r option || [[ -n "$option" ]]; do
            [[ -z "$option" || "$option" == \#* ]] && continue
            if [[ "$option" == -dict=* ]]; then
                dict="${option#-dict=}"
                [[ "$dict" == /* ]] || dict="$fuzz_dir/$dict"
                option="-dict=$dict"
                have_dict=1
            fi
            args+=("$option")
        done < "$fuzz_dir/$exe.options"
    fi
    if [[ $have_dict -eq 0 ]]; then
        for dict in "$fuzz_dir/$exe.dict" "$fuzz_dir/$name.dict"; do
            if [[ -f "$dict" ]]; then
                args+=(-dict="$dict")
                break
            fi
        done
    fi
    args+=("$scratch")
    [[ -d "$seeds" ]] && args+=("$seeds")
    return 0
}

# Runs one target in the background. Its exit status goes to <log>.status when it ends, so
# that the runner can tell which of the running targets finished.
start_target() {
    local target="$1" exe name log
    exe="$(basename "$target")"
    name="${exe%_fuzz}"
    log="$logs/$exe.log"
    rm -f "$log.status"
    target_args "$exe" "$name"
    echo "== $exe: ${seconds}s (log: $log)"
    (
        "$target" "${args[@]}" > "$log" 2>&1 &
        child=$!
        # Stopping the runner stops the target too.
        trap 'kill -- "$child" 2> /dev/null || true' TERM
        if wait "$child"; then
            status=0
        else
            status=$?
        fi
        echo "$status" > "$log.status"
    ) &
    running[$!]="$exe"
}

failed=()

# Reports a target that has finished: its statistics, or the end of its log when it failed.
report_target() {
    local pid="$1" exe="${running[$1]}"
    local log="$logs/$exe.log" status
    wait "$pid" || true
    unset 'running[$pid]'
    status="$(cat "$log.status" 2> /dev/null || echo "unknown")"
    rm -f "$log.status"
    if [[ "$status" == 0 ]]; then
        echo "== $exe finished"
        grep -E '^stat::(number_of_executed_units|new_units_added|peak_rss_mb)' "$log" || true
    else
        echo "!! $exe failed (exit status $status); the end of its log:" >&2
        tail -n 60 "$log" >&2
        failed+=("$exe")
    fi
}

# Reports every running target that has finished (or whose runner is gone without saying how
# it ended); true when there was one.
reap_finished() {
    local pid found=1
    for pid in "${!running[@]}"; do
        if [[ -f "$logs/${running[$pid]}.log.status" ]] || ! kill -0 "$pid" 2> /dev/null; then
            report_target "$pid"
            found=0
        fi
    done
    return $found
}

# Waits until a running target finishes and reports it.
wait_for_one() {
    until reap_finished; do
        wait -n || true
    done
}

# An interrupted run stops the targets it started.
declare -A running=()
stop_running() {
    local pid
    for pid in "${!running[@]}"; do
        kill -- "$pid" 2> /dev/null || true
    done
    exit 130
}
trap stop_running INT TERM

for target in "${targets[@]}"; do
    while [[ ${#running[@]} -ge $jobs ]]; do
        wait_for_one
    done
    start_target "$target"
done
while [[ ${#running[@]} -gt 0 ]]; do
    wait_for_one
done

if [[ ${#failed[@]} -gt 0 ]]; then
    echo "run.sh: findings in: ${failed[*]} (reproducers in $fuzz_dir/artifacts/)" >&2
    exit 1
fi
echo "run.sh: no findings"
