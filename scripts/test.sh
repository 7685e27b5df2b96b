#!/usr/bin/env bash
# Installs what is missing, checks the formatting and the shell scripts, then builds and runs the
# whole test suite headless twice: a Debug build, and a Debug build with AddressSanitizer and
# UndefinedBehaviorSanitizer. Then the real program from outside (end to end, accessibility bus,
# Wayland desktops, Debian package, Debian 13), the Windows layer and the Windows program under
# Wine, and the fuzz targets.
# Exits non-zero when any step fails.
#
#   scripts/test.sh              every stage
#   scripts/test.sh STAGE...     only the named stages, in the order of the list
#   scripts/test.sh --list       the stages, with what each runs
#
# A stage builds what it needs: tests, e2e, a11y and wayland build the Debug folder (build-test/) first,
# e2e-sanitizers the sanitizer folder (build-asan/), each once however many stages need it;
# the scripts of package, debian13, wine-layer, windows and fuzz build what they need themselves.
# The packages of the chosen stages are installed first; the stages' scripts install their own.
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

plainBuild="$TOLVY_BUILDS/build-test"
sanitizerBuild="$TOLVY_BUILDS/build-asan"

stages=(format build tests sanitizers e2e a11y wayland e2e-sanitizers package debian13 wine-layer windows fuzz)
declare -A stageAbout=(
    [format]="clang-format over the C++ sources, shellcheck over the shell scripts"
    [build]="the Debug build (build-test/)"
    [tests]="the tests of the Debug build"
    [sanitizers]="the sanitizer build (build-asan/) and its tests"
    [e2e]="the program driven on a virtual display (scripts/e2e.sh)"
    [a11y]="the program through the accessibility bus (tests/a11y/run.sh)"
    [wayland]="the program under mutter and sway, headless with their XWayland (scripts/wayland.sh)"
    [e2e-sanitizers]="the end-to-end runs on the sanitizer build"
    [package]="the Debian package (scripts/package.sh)"
    [debian13]="build, tests, e2e, a11y and package in a Debian 13 root, and the Debian 12 package there (scripts/debian13.sh)"
    [wine-layer]="the Windows layer under Wine (scripts/wine-check.sh)"
    [windows]="the Windows program on Qt 6.8, built and checked under Wine in the Debian 13 root (scripts/windows.sh --check)"
    [fuzz]="the fuzz targets (scripts/fuzz.sh)"
)

list_stages()
{
    local stage
    for stage in "${stages[@]}"; do
        printf '%-15s %s\n' "$stage" "${stageAbout[$stage]}"
    done
}

declare -A wanted=()
for argument in "$@"; do
    case $argument in
    --list)
        list_stages
        exit 0
        ;;
    -h | --help)
        echo "usage: $0 [--list] [STAGE...]; the stages:"
        list_stages
        exit 0
        ;;
    *)
        if [[ -z ${stageAbout[$argument]:-} ]]; then
            echo "Unknown stage '$argument'. The stages are:" >&2
            list_stages >&2
            exit 2
        fi
        wanted[$argument]=1
        ;;
    esac
done
chosen=()
for stage in "${stages[@]}"; do
    if (($# == 0)) || [[ -n ${wanted[$stage]:-} ]]; then
        chosen+=("$stage")
    fi
done

# stage_packages <stage>: what the stage needs before it starts.
stage_packages()
{
    case $1 in
    format) printf '%s\n' "${TOLVY_FORMAT_PACKAGES[@]}" ;;
    debian13 | windows) echo mmdebstrap ;;
    build | tests | sanitizers | e2e | a11y | wayland | e2e-sanitizers)
        printf '%s\n' "${TOLVY_BUILD_PACKAGES[@]}" "${TOLVY_TEST_PACKAGES[@]}"
        ;;
    esac
}

# repository_files: the files of the repository, the tracked ones when it is a git clone.
repository_files()
{
    if git -c safe.directory="$TOLVY_ROOT" -C "$TOLVY_ROOT" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        git -c safe.directory="$TOLVY_ROOT" -C "$TOLVY_ROOT" ls-files
    else
        (cd "$TOLVY_ROOT" && find . \( -path './build*' -o -path ./.git \) -prune -o -type f -print | sed 's#^\./##')
    fi
}

# is_shell_script <file>: whether the file is a shell script by its name or by its first line.
is_shell_script()
{
    [[ $1 != *.sh ]] || return 0
    local first='' shebang='^#!.*[/[:space:]](ba|da|k)?sh([[:space:]]|$)'
    if [[ -f $TOLVY_ROOT/$1 ]]; then
        read -r first <"$TOLVY_ROOT/$1" || true
    fi
    [[ $first =~ $shebang ]]
}

format_check()
{
    local -a files sources=() scripts=()
    local file
    mapfile -t files < <(repository_files)
    for file in "${files[@]}"; do
        if [[ $file == *.cpp || $file == *.h ]]; then
            sources+=("$file")
        elif is_shell_script "$file"; then
            scripts+=("$file")
        fi
    done
    ((${#sources[@]} > 0)) || { echo "No sources found to check." >&2; return 1; }
    (cd "$TOLVY_ROOT" && clang-format --dry-run --Werror "${sources[@]}")
    echo "${#sources[@]} files are formatted."
    ((${#scripts[@]} > 0)) || { echo "No shell scripts found to check." >&2; return 1; }
    # From the top folder, where the scripts' source directives start.
    (cd "$TOLVY_ROOT" && shellcheck --external-sources "${scripts[@]}")
    echo "${#scripts[@]} shell scripts pass shellcheck."
}

# run_tests <build folder> [environment assignments...]
run_tests()
{
    local folder=$1
    shift
    # Each test program keeps its files in a folder of its own, so they can run side by side.
    (cd "$folder" && env "$@" ctest --output-on-failure --no-tests=error --parallel "$TOLVY_JOBS") 2>&1 |
        tee "$folder/ctest.log"
}

sanitizer_environment=(
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    LSAN_OPTIONS=suppressions="$TOLVY_ROOT/tests/lsan.supp":print_suppressions=0
)

configure_and_build()
{
    tolvy_configure "$@"
    tolvy_compile "$1"
}

# The outcome of each build, once it has run.
plainStatus=
sanitizerStatus=
build_plain()
{
    [[ -z $plainStatus ]] || return 0
    tolvy_step "Build Debug" configure_and_build "$plainBuild" Debug -DTOLVY_SANITIZE=OFF
    plainStatus=$TOLVY_STEP_STATUS
}
# The benchmarks build in the Debug folder, which keeps them compiling; they are not run here.
build_sanitizers()
{
    [[ -z $sanitizerStatus ]] || return 0
    tolvy_step "Build sanitizers" configure_and_build "$sanitizerBuild" Debug -DTOLVY_SANITIZE=ON -DTOLVY_BUILD_BENCH=OFF
    sanitizerStatus=$TOLVY_STEP_STATUS
}

stage_format() { tolvy_step "Format check" format_check; }
stage_build() { build_plain; }
stage_tests()
{
    build_plain
    if ((plainStatus == 0)); then
        tolvy_step "Tests Debug" run_tests "$plainBuild"
    fi
}
stage_sanitizers()
{
    build_sanitizers
    if ((sanitizerStatus == 0)); then
        tolvy_step "Tests sanitizers" run_tests "$sanitizerBuild" "${sanitizer_environment[@]}"
    fi
}
# The real program from outside: end to end on a virtual display, through the accessibility bus,
# installed from its Debian package; then the fuzz targets for a bounded time each.
stage_e2e()
{
    build_plain
    if [[ -x $plainBuild/tolvy-sarnavel ]]; then
        tolvy_step "End to end" bash "$TOLVY_ROOT/scripts/e2e.sh" "$plainBuild"
    fi
}
stage_a11y()
{
    build_plain
    if [[ -x $plainBuild/tolvy-sarnavel ]]; then
        tolvy_step "Accessibility bus" bash "$TOLVY_ROOT/tests/a11y/run.sh" "$plainBuild"
    fi
}
stage_wayland()
{
    build_plain
    if [[ -x $plainBuild/tolvy-sarnavel ]]; then
        tolvy_step "Wayland desktops" bash "$TOLVY_ROOT/scripts/wayland.sh" "$plainBuild"
    fi
}
stage_e2e_sanitizers()
{
    build_sanitizers
    if [[ -x $sanitizerBuild/tolvy-sarnavel ]]; then
        tolvy_step "End to end (sanitizers)" env "${sanitizer_environment[@]}" \
            bash "$TOLVY_ROOT/scripts/e2e.sh" "$sanitizerBuild"
    fi
}
packageStatus=
stage_package()
{
    tolvy_step "Debian package" bash "$TOLVY_ROOT/scripts/package.sh"
    packageStatus=$TOLVY_STEP_STATUS
}
# Debian 13 and Qt 6.8 in a root of their own; the package of this run goes in as the Debian 12 one.
stage_debian13()
{
    local -a given=()
    if [[ $packageStatus == 0 ]]; then
        given=(--debian12 "$(find "$TOLVY_BUILDS/build-pkg" -maxdepth 1 -name 'tolvy-sarnavel_*_amd64.deb' | head -n 1)")
    fi
    tolvy_step "Debian 13" bash "$TOLVY_ROOT/scripts/debian13.sh" "${given[@]}"
}
stage_wine_layer() { tolvy_step "Windows layer under Wine" bash "$TOLVY_ROOT/scripts/wine-check.sh" "$plainBuild"; }
# The whole program for Windows, in the Debian 13 root: cross-built against Qt 6.8 for Windows
# (built once into the user's cache, 40 minutes or more on a fresh machine), packaged, and checked
# under Wine.
stage_windows() { tolvy_step "Windows program under Wine" bash "$TOLVY_ROOT/scripts/windows.sh" --check; }
stage_fuzz() { tolvy_step "Fuzzing" bash "$TOLVY_ROOT/scripts/fuzz.sh"; }

declare -A seen=()
packages=()
for stage in "${chosen[@]}"; do
    while read -r package; do
        [[ -n ${seen[$package]:-} ]] || packages+=("$package")
        seen[$package]=1
    done < <(stage_packages "$stage")
done
tolvy_step "Packages" tolvy_install_packages "${packages[@]}"
if ((${#TOLVY_FAILED_STEPS[@]} > 0)); then
    echo "Cannot go on without the packages." >&2
    exit 1
fi

rm -f "$plainBuild/ctest.log" "$sanitizerBuild/ctest.log"
for stage in "${chosen[@]}"; do
    "stage_${stage//-/_}"
done

tolvy_say "Summary"
for folder in "$plainBuild" "$sanitizerBuild"; do
    if [[ -f $folder/ctest.log ]]; then
        echo "$(basename "$folder"):"
        grep -E 'tests passed|tests failed out of|Total Test time|^[[:space:]]+[0-9]+ - ' "$folder/ctest.log" | sed 's/^/    /' || true
    fi
done
tolvy_step_report || exit 1
echo "All checks passed."
