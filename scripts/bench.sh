#!/usr/bin/env bash
# Builds the benchmarks in a Release build (build-bench) and runs them, printing their reports.
#
#   scripts/bench.sh                   every benchmark
#   scripts/bench.sh draws             only the named ones (see BENCHMARKS below)
#   scripts/bench.sh --strict ...      a missed target fails the script too
#
# Each benchmark exits 0 when all is well, 1 when it missed a target (a median over its limit,
# a draw failing its chi-square test) and anything else when it could not run through. A
# benchmark that could not run always fails the script; a missed target only with --strict,
# since timings depend on the machine.
#
# Adding a benchmark: define a function bench_<name> that runs it (from the build folder,
# printing its report and returning its status), add <name> to BENCHMARKS and its CMake targets
# to BENCH_TARGETS.
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

benchBuild="$TOLVY_ROOT/build-bench"
BENCHMARKS=(draws interaction)
BENCH_TARGETS=(bench_draws bench_interaction)

bench_build()
{
    tolvy_install_packages "${TOLVY_BUILD_PACKAGES[@]}"
    tolvy_configure "$benchBuild" Release -DTOLVY_BUILD_BENCH=ON -DTOLVY_BUILD_TESTS=OFF -DTOLVY_SANITIZE=OFF
    tolvy_compile "$benchBuild" "${BENCH_TARGETS[@]}"
}

# The draws of a clock-seeded run (chi-square and p-values) and the seeds of 50 processes.
bench_draws()
{
    "$benchBuild/bench/bench_draws"
}

# Click-to-drawn times on the real windows, offscreen, with names up to a megabyte.
bench_interaction()
{
    QT_QPA_PLATFORM=offscreen "$benchBuild/bench/bench_interaction"
}

main()
{
    local strict=0
    local -a chosen=()
    local arg
    for arg in "$@"; do
        case $arg in
        --strict) strict=1 ;;
        *) chosen+=("$arg") ;;
        esac
    done
    ((${#chosen[@]} > 0)) || chosen=("${BENCHMARKS[@]}")
    local name
    for name in "${chosen[@]}"; do
        if ! declare -F "bench_$name" >/dev/null; then
            echo "No benchmark named '$name'; known: ${BENCHMARKS[*]}" >&2
            return 2
        fi
    done

    tolvy_say "Release build of the benchmarks ($benchBuild)"
    bench_build

    local -a summary=() missed=() failed=()
    local status start
    for name in "${chosen[@]}"; do
        tolvy_say "Benchmark: $name"
        start=$SECONDS
        status=0
        "bench_$name" || status=$?
        case $status in
        0) summary+=("$(printf '%-14s ok            %4ds' "$name" $((SECONDS - start)))") ;;
        1)
            summary+=("$(printf '%-14s target missed %4ds' "$name" $((SECONDS - start)))")
            missed+=("$name")
            ;;
        *)
            summary+=("$(printf '%-14s FAILED (%d)   %4ds' "$name" "$status" $((SECONDS - start)))")
            failed+=("$name")
            ;;
        esac
    done

    tolvy_say "Benchmark summary"
    printf '%s\n' "${summary[@]}"
    if ((${#failed[@]} > 0)); then
        echo "FAILED: ${failed[*]}" >&2
        return 1
    fi
    if ((${#missed[@]} > 0)); then
        echo "Missed a target: ${missed[*]}" >&2
        ((strict == 0)) || return 1
    fi
    return 0
}

main "$@"
