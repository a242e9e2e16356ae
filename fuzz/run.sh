#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each of them for a while.
#
#   fuzz/run.sh [SECONDS]     (default 60 seconds per target)
#
# Every executable named <name>_fuzz in the fuzz build is run with
#   - the seed corpus fuzz/corpus/<name>/ (read only) and a scratch corpus
#     fuzz/corpus-<name>/ that keeps what earlier runs found (delete it to start afresh);
#   - the options listed in fuzz/<name>_fuzz.options, one per line ("-dict=" names a file
#     in fuzz/), or else the dictionary fuzz/<name>_fuzz.dict or fuzz/<name>.dict;
#   - crash reproducers written to fuzz/artifacts/<name>/.
# The build directory is build-fuzz (TESSEL_FUZZ_BUILD overrides it). The script fails when
# any target finds a crash, a leak or a timeout.
set -euo pipefail

seconds="${1:-60}"
fuzz_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$fuzz_dir")"
build="${TESSEL_FUZZ_BUILD:-$root/build-fuzz}"

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

mkdir -p "$build/fuzz-logs"
failed=()
for target in "${targets[@]}"; do
    exe="$(basename "$target")"
    name="${exe%_fuzz}"
    seeds="$fuzz_dir/corpus/$name"
    scratch="$fuzz_dir/corpus-$name"
    artifacts="$fuzz_dir/artifacts/$name"
    log="$build/fuzz-logs/$exe.log"
    mkdir -p "$scratch" "$artifacts"

    args=(-max_total_time="$seconds" -timeout=10 -print_final_stats=1
          -artifact_prefix="$artifacts/")
    have_dict=0
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
    corpora=("$scratch")
    [[ -d "$seeds" ]] && corpora+=("$seeds")

    echo "== $exe: ${seconds}s (log: $log)"
    if "$target" "${args[@]}" "${corpora[@]}" > "$log" 2>&1; then
        grep -E '^stat::(number_of_executed_units|new_units_added|peak_rss_mb)' "$log" || true
    else
        echo "!! $exe failed; the end of its log:" >&2
        tail -n 60 "$log" >&2
        failed+=("$exe")
    fi
done

if [[ ${#failed[@]} -gt 0 ]]; then
    echo "run.sh: findings in: ${failed[*]} (reproducers in $fuzz_dir/artifacts/)" >&2
    exit 1
fi
echo "run.sh: no findings"
