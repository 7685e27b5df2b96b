#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer) in
# build-fuzz and runs each for a short while on a copy of its seed corpus, so that the runs never
# grow the repository. Exits non-zero when a target fails to build, crashes, breaks one of its
# properties, leaks, hangs or runs out of memory.
#
#   scripts/fuzz.sh                  all targets, 20 seconds each
#   scripts/fuzz.sh fuzz_referral    only the named targets
#   TOLVY_FUZZ_SECONDS=300 scripts/fuzz.sh
#
# A failing input is kept in build-fuzz/fuzz-artifacts/<target>/; run the target on that file
# to see the report again.
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

fuzzBuild="$TOLVY_ROOT/build-fuzz"
fuzzSeconds="${TOLVY_FUZZ_SECONDS:-20}"
allTargets=(fuzz_settings fuzz_referral fuzz_keyfilter fuzz_date fuzz_picture)
FUZZ_PACKAGES=(clang libclang-rt-14-dev)

fuzz_build()
{
    tolvy_install_packages "${TOLVY_BUILD_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
    tolvy_configure "$fuzzBuild" RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DTOLVY_FUZZ=ON \
        -DTOLVY_BUILD_TESTS=OFF -DTOLVY_BUILD_BENCH=OFF
    tolvy_compile "$fuzzBuild" "$@"
}

# fuzz_run <target>: runs one target on a scratch copy of its corpus; prints its final stats.
fuzz_run()
{
    local target=$1
    local work artifacts log status=0
    work="$(mktemp -d)"
    artifacts="$fuzzBuild/fuzz-artifacts/$target"
    log="$fuzzBuild/fuzz-artifacts/$target.log"
    rm -rf "$artifacts"
    mkdir -p "$artifacts" "$work/corpus"
    cp -R "$TOLVY_ROOT/fuzz/corpus/$target/." "$work/corpus/"

    # The targets run headless and keep their settings in a temporary folder of their own.
    (cd "$work" && timeout --kill-after=10 $((fuzzSeconds + 120)) env \
        QT_QPA_PLATFORM=offscreen \
        ASAN_OPTIONS=abort_on_error=1:detect_leaks=1 \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        LSAN_OPTIONS=suppressions="$TOLVY_ROOT/fuzz/lsan.supp":print_suppressions=0 \
        "$fuzzBuild/fuzz/$target" -max_total_time="$fuzzSeconds" -rss_limit_mb=2048 -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$artifacts/" "$work/corpus") >"$log" 2>&1 || status=$?
    rm -rf "$work"

    local finalLine
    finalLine="$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 || true)"
    local executed
    executed="$(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}' || true)"
    if ((status != 0)) || compgen -G "$artifacts/*" >/dev/null; then
        echo "$target FAILED (exit $status); the end of its log ($log):" >&2
        grep -E -A4 'PROPERTY BROKEN|ERROR: |SUMMARY: ' "$log" | head -n 40 >&2 || tail -n 40 "$log" >&2
        for input in "$artifacts"/*; do
            [[ -e $input ]] && echo "  reproduce: $fuzzBuild/fuzz/$target $input" >&2
        done
        return 1
    fi
    printf '%-15s %s (%s inputs in %ss)\n' "$target" "${finalLine:-no stats line}" "${executed:-?}" "$fuzzSeconds"
}

main()
{
    local -a targets=("$@")
    ((${#targets[@]} > 0)) || targets=("${allTargets[@]}")
    tolvy_say "Fuzz build ($fuzzBuild)"
    fuzz_build "${targets[@]}"

    # One target a processor at a time, each on its own core; their reports in the targets' order.
    local failed=() target running=0
    local -A job=()
    mkdir -p "$fuzzBuild/fuzz-artifacts"
    tolvy_say "Fuzzing, ${fuzzSeconds}s a target, $TOLVY_JOBS at a time"
    for target in "${targets[@]}"; do
        if ((running >= TOLVY_JOBS)); then
            wait -n || true
            ((running--))
        fi
        fuzz_run "$target" >"$fuzzBuild/fuzz-artifacts/$target.report" 2>&1 &
        job[$target]=$!
        ((++running))
    done
    for target in "${targets[@]}"; do
        wait "${job[$target]}" || failed+=("$target")
        cat "$fuzzBuild/fuzz-artifacts/$target.report"
    done

    tolvy_say "Fuzz summary"
    for target in "${targets[@]}"; do
        grep -E '^#[0-9]+[[:space:]]+DONE' "$fuzzBuild/fuzz-artifacts/$target.log" 2>/dev/null | tail -n 1 |
            sed "s/^/$target: /" || true
    done
    if ((${#failed[@]} > 0)); then
        echo "FAILED: ${failed[*]}" >&2
        return 1
    fi
    echo "All fuzz targets ran clean."
}

main "$@"
