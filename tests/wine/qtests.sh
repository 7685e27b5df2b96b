#!/usr/bin/env bash
# The QtTest programs of a Windows build, run under Wine on the offscreen platform, one after the
# other, in one Wine prefix. Tests that start the program start its .exe from the same folder.
#
# Usage: tests/wine/qtests.sh <build folder>
#   The folder is a cross build with Qt for Windows and the tests on (tst_*.exe next to
#   tolvy-sarnavel.exe); the Qt it was configured with gives the DLLs and plug-ins.
#   TOLVY_WINE_WORK and WINEPREFIX, as scripts/windows/wine.sh sets them: a prefix to run in,
#     shared with the caller's other Wine runs, on the caller's DISPLAY; without them, a fresh
#     prefix and a private virtual display with a window manager, both gone afterwards. In a
#     shared prefix, what the tests leave in the registry under HKCU\Software\Veldrane is
#     removed afterwards, so that the program's next start there is a first start.
#   TOLVY_WINE_TEST_TIMEOUT: seconds one program may take (default 600).
#   TOLVY_WINE_TESTS: the programs to run, by name (default: every one).
# Prints a line per program and "N passed, N failed" at the end; exits non-zero when a program
# failed. Each program's whole output is kept in <build folder>/wine-tests/.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
# shellcheck source=scripts/lib.sh
source "$root/scripts/lib.sh"
# shellcheck source=scripts/xvfb.sh
source "$root/scripts/xvfb.sh"
# shellcheck source=scripts/windows/wine.sh
source "$root/scripts/windows/wine.sh"

QTESTS_PACKAGES=(wine wine64 xvfb xauth openbox g++-mingw-w64-x86-64-posix fonts-dejavu-core)

(($# == 1)) || { sed -n '2,/^set -e/p' "$0" | sed '$d' | sed 's/^# \{0,1\}//' >&2; exit 2; }
build=$(realpath "$1")
timeoutSeconds=${TOLVY_WINE_TEST_TIMEOUT:-600}
started=$SECONDS

tolvy_install_packages "${QTESTS_PACKAGES[@]}" >/dev/null

tolvy_wine_find || exit 1

program="$build/tolvy-sarnavel.exe"
# Qt's project setup puts a Windows build's executables together at the top of the folder.
testDir="$build"
[[ -n $(find "$testDir" -maxdepth 1 -name 'tst_*.exe' -print -quit) ]] || testDir="$build/tests"
mapfile -t tests < <(find "$testDir" -maxdepth 1 -name 'tst_*.exe' -printf '%f\n' 2>/dev/null | sed 's/\.exe$//' | sort)
if [[ -n ${TOLVY_WINE_TESTS:-} ]]; then
    read -r -a tests <<<"$TOLVY_WINE_TESTS"
fi
((${#tests[@]} > 0)) || { echo "No tst_*.exe in $build: configure it with the tests on." >&2; exit 1; }
[[ -f $program ]] || { echo "No $program: build the program too." >&2; exit 1; }

# The Qt the folder was configured with, and the compiler's runtime.
qtDir=$(tolvy_cache_value "$build" Qt6_DIR)
qtPrefix=$(realpath "$qtDir/../../..")
[[ -f $qtPrefix/bin/Qt6Core.dll ]] || { echo "No Qt for Windows at $qtPrefix." >&2; exit 1; }
runtimeDirs=()
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    file=$(x86_64-w64-mingw32-g++-posix -print-file-name="$dll")
    [[ -f $file ]] || { echo "The MinGW runtime lacks $dll." >&2; exit 1; }
    runtimeDirs+=("$(dirname "$(realpath "$file")")")
done

pluginPath=$(tolvy_windows_path "$qtPrefix/plugins")
programPath=$(tolvy_windows_path "$program")
winePath="$(tolvy_windows_path "$qtPrefix/bin")"
for dir in $(printf '%s\n' "${runtimeDirs[@]}" | sort -u); do
    winePath+=";$(tolvy_windows_path "$dir")"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tolvy-qtests.XXXXXX")
ownPrefix=true
[[ -n ${TOLVY_WINE_WORK:-} && -d ${WINEPREFIX:-} ]] && ownPrefix=false

# shellcheck disable=SC2016 # expanded when the script ends
tolvy_on_exit 'rm -rf "$work"'
prefixSeconds=0
if $ownPrefix; then
    tolvy_on_exit tolvy_stop_xvfb
    tolvy_on_exit tolvy_wine_stop
    tolvy_start_xvfb "$work"
    # A window manager, as users have: focus and activation of the windowed tests' windows.
    tolvy_start_window_manager "$work"
    prefixStart=$SECONDS
    tolvy_wine_prefix "$work"
    prefixSeconds=$((SECONDS - prefixStart))
fi

# The offscreen platform on Windows takes its fonts only from the fonts folder beside Qt's
# libraries, which a Qt for Windows does not ship: a qt.conf beside the tests points the library
# folder at one whose fonts are the faces the Linux runs have. Gone again afterwards.
qtConf="$testDir/qt.conf"
[[ ! -e $qtConf ]] || { echo "$qtConf is in the way." >&2; exit 1; }
# shellcheck disable=SC2016 # expanded when the script ends
tolvy_on_exit 'rm -f "$qtConf"'
mkdir -p "$work/qtlib"
ln -s /usr/share/fonts/truetype/dejavu "$work/qtlib/fonts"
printf '[Paths]\nPrefix=%s\nLibraries=%s\n' "Z:$qtPrefix" "Z:$work/qtlib" >"$qtConf"

logs="$build/wine-tests"
rm -rf "$logs"
mkdir -p "$logs"
passedPrograms=0
failedPrograms=0
printf '%-22s %-7s %s\n' "Program" "Result" "Functions and rows"
for test in "${tests[@]}"; do
    exe="$testDir/$test.exe"
    log="$logs/$test.txt"
    testStart=$SECONDS
    status=0
    # Run from the tests' folder, as ctest does; waited for in the background so that an
    # interrupt reaches the clean-up at once. What a test writes to its console does not come
    # through Wine to a file reliably: the results go to a file of their own. A test function
    # that hangs fails after a minute rather than QtTest's five.
    (
        cd "$testDir"
        export WINEPATH="$winePath" QT_PLUGIN_PATH="$pluginPath" QTEST_FUNCTION_TIMEOUT=60000 \
            QT_QPA_PLATFORM=offscreen TOLVY_EXECUTABLE="$programPath" TOLVY_WINE_TIMEOUT="$timeoutSeconds"
        : >"$log"
        tolvy_wine "$exe" -o "$(tolvy_windows_path "$log"),txt" >"$log.console" 2>&1
    ) &
    wait $! || status=$?
    totals=$(tr -d '\r' <"$log" | grep -a '^Totals:' | tail -n 1 | sed -e 's/^Totals: //' -e 's/, [0-9]* blacklisted//' -e 's/, [0-9]*ms$//' || true)
    if ((status == 0)) && [[ -n $totals ]]; then
        result=ok
        passedPrograms=$((passedPrograms + 1))
    else
        result=FAILED
        failedPrograms=$((failedPrograms + 1))
        ((status != 124)) || totals="${totals:+$totals, }stopped after ${timeoutSeconds}s"
        [[ -n $totals ]] || totals="exit status $status, no totals"
    fi
    printf '%-22s %-7s %s (%ss)\n' "$test" "$result" "$totals" "$((SECONDS - testStart))"
    if [[ $result != ok ]]; then
        tr -d '\r' <"$log" | grep -a -A3 '^FAIL!' | cut -c1-300 | sed 's/^/    /' | head -n 40 || true
    fi
done
if ! $ownPrefix; then
    TOLVY_WINE_TIMEOUT=60 tolvy_wine reg delete 'HKCU\Software\Veldrane' /f >/dev/null 2>&1 || true
fi
echo "$passedPrograms passed, $failedPrograms failed (${#tests[@]} programs, $((SECONDS - started))s," \
    "of which ${prefixSeconds}s for a fresh Wine prefix; output in $logs)"
((failedPrograms == 0))
