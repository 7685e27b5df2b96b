#!/usr/bin/env bash
# Installs what is missing, checks the formatting, then builds and runs the whole test suite
# headless twice: a Debug build, and a Debug build with AddressSanitizer and
# UndefinedBehaviorSanitizer. Then the real program from outside (end to end, accessibility bus,
# Debian package), the Windows layer and the Windows program under Wine, and the fuzz targets.
# Exits non-zero when any step fails.
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

plainBuild="$TOLVY_ROOT/build-test"
sanitizerBuild="$TOLVY_ROOT/build-asan"

format_check()
{
    local -a files
    if git -c safe.directory="$TOLVY_ROOT" -C "$TOLVY_ROOT" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        mapfile -t files < <(git -c safe.directory="$TOLVY_ROOT" -C "$TOLVY_ROOT" ls-files -- '*.cpp' '*.h')
    else
        mapfile -t files < <(cd "$TOLVY_ROOT" && find . -path './build*' -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
    fi
    ((${#files[@]} > 0)) || { echo "No sources found to check." >&2; return 1; }
    (cd "$TOLVY_ROOT" && clang-format --dry-run --Werror "${files[@]}")
    echo "${#files[@]} files are formatted."
}

# run_tests <build folder> [environment assignments...]
run_tests()
{
    local folder=$1
    shift
    (cd "$folder" && env "$@" ctest --output-on-failure --no-tests=error) 2>&1 | tee "$folder/ctest.log"
}

sanitizer_environment=(
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    LSAN_OPTIONS=suppressions="$TOLVY_ROOT/tests/lsan.supp":print_suppressions=0
)

tolvy_step "Packages" tolvy_install_packages "${TOLVY_BUILD_PACKAGES[@]}" "${TOLVY_TEST_PACKAGES[@]}"
if ((${#TOLVY_FAILED_STEPS[@]} > 0)); then
    echo "Cannot go on without the packages." >&2
    exit 1
fi
tolvy_step "Format check" format_check

rm -f "$plainBuild/ctest.log" "$sanitizerBuild/ctest.log"

configure_and_build()
{
    tolvy_configure "$@"
    tolvy_compile "$1"
}

tolvy_step "Build Debug" configure_and_build "$plainBuild" Debug -DTOLVY_SANITIZE=OFF
if ((TOLVY_STEP_STATUS == 0)); then
    tolvy_step "Tests Debug" run_tests "$plainBuild"
fi

# The benchmarks build in the Debug folder, which keeps them compiling; they are not run here.
tolvy_step "Build sanitizers" configure_and_build "$sanitizerBuild" Debug -DTOLVY_SANITIZE=ON -DTOLVY_BUILD_BENCH=OFF
if ((TOLVY_STEP_STATUS == 0)); then
    tolvy_step "Tests sanitizers" run_tests "$sanitizerBuild" "${sanitizer_environment[@]}"
fi

# The real program from outside: end to end on a virtual display, through the accessibility bus,
# installed from its Debian package; then the fuzz targets for a bounded time each.
if [[ -x $plainBuild/tolvy-sarnavel ]]; then
    tolvy_step "End to end" bash "$TOLVY_ROOT/scripts/e2e.sh" "$plainBuild"
    tolvy_step "Accessibility bus" bash "$TOLVY_ROOT/tests/a11y/run.sh" "$plainBuild"
fi
if [[ -x $sanitizerBuild/tolvy-sarnavel ]]; then
    tolvy_step "End to end (sanitizers)" env "${sanitizer_environment[@]}" \
        bash "$TOLVY_ROOT/scripts/e2e.sh" "$sanitizerBuild"
fi
tolvy_step "Debian package" bash "$TOLVY_ROOT/scripts/package.sh"
tolvy_step "Windows layer under Wine" bash "$TOLVY_ROOT/scripts/wine-check.sh" "$plainBuild"
# The whole program for Windows: cross-built against Qt for Windows (built once into the user's
# cache, 40 minutes or more on a fresh machine), packaged, and checked under Wine.
tolvy_step "Windows program under Wine" bash "$TOLVY_ROOT/scripts/windows.sh" --check
tolvy_step "Fuzzing" bash "$TOLVY_ROOT/scripts/fuzz.sh"

tolvy_say "Summary"
for folder in "$plainBuild" "$sanitizerBuild"; do
    if [[ -f $folder/ctest.log ]]; then
        echo "$(basename "$folder"):"
        grep -E 'tests passed|tests failed out of|Total Test time|^[[:space:]]+[0-9]+ - ' "$folder/ctest.log" | sed 's/^/    /' || true
    fi
done
tolvy_step_report || exit 1
echo "All checks passed."
