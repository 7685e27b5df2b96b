#!/usr/bin/env bash
# Start-up benchmark: the time from launching tolvy-sarnavel to the first painted frame of its
# main window, and its resident memory once shown, against a bare Qt Widgets baseline built by
# the same CMake (same Qt, same build type, same flags). Both run on a private Xvfb, launch after
# launch, alternating; tolvy-frametimer takes the frame from the X server's DAMAGE events.
#
# Usage: bench/startup/startup.sh [--check] [--windows] [build folder]
#   build folder       default build-bench; configured as a Release build when new
#   --check            exit 1 when a target is missed (time within 1.10 x the baseline's,
#                      memory within the baseline's + 2 MiB); 2 means it could not run
#   --windows          also the Windows program (build-windows/deploy, made by scripts/windows.sh)
#                      against the same baseline cross-built, both under Wine in one prefix on the
#                      same display: figures without a target, Wine not being Windows
#   TOLVY_BENCH_RUNS   launches per series (default 25, at least 25 for the report)
#   TOLVY_BENCH_SETTLE milliseconds between the first frame and the memory reading (default 300)
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"
# shellcheck source=scripts/xvfb.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xvfb.sh"

check=false
windows=false
build=""
for arg in "$@"; do
    case $arg in
    --check) check=true ;;
    --windows) windows=true ;;
    -h | --help)
        sed -n '2,/^set -euo/p' "${BASH_SOURCE[0]}" | sed '$d; s/^# \{0,1\}//'
        exit 0
        ;;
    *) build=$arg ;;
    esac
done
build=${build:-$TOLVY_BUILDS/build-bench}
runs=${TOLVY_BENCH_RUNS:-25}
settle=${TOLVY_BENCH_SETTLE:-300}
((runs >= 25)) || echo "Note: fewer than 25 launches per series; the medians are rough." >&2

for tool in Xvfb python3; do
    command -v "$tool" >/dev/null || { echo "The benchmark needs '$tool' (packages: xvfb python3)." >&2; exit 2; }
done

mkdir -p "$build"
build=$(realpath "$build")
tolvy_configure_once "$build" Release -DTOLVY_BUILD_TESTS=OFF
buildType=$(tolvy_cache_value "$build" CMAKE_BUILD_TYPE)
[[ $buildType == Release ]] || echo "Note: $build is a '$buildType' build; start-up figures are meant for Release." >&2
sanitized=$(tolvy_cache_value "$build" TOLVY_SANITIZE)
[[ $sanitized != ON ]] || echo "Note: $build is built with sanitizers; its figures say little." >&2

tolvy_say "Build ($build)"
if ! tolvy_compile "$build" tolvy-sarnavel tolvy-baseline tolvy-frametimer; then
    cat >&2 <<MESSAGE
The benchmark's tools did not build. They need bench/startup in the build (bench/CMakeLists.txt:
add_subdirectory(startup)) and, for tolvy-frametimer, the xcb DAMAGE headers (libxcb-damage0-dev).
MESSAGE
    exit 2
fi
program="$build/tolvy-sarnavel"
baseline="$build/bench/startup/tolvy-baseline"
timer="$build/bench/startup/tolvy-frametimer"
if $windows; then
    windowsBuild="$TOLVY_ROOT/build-windows"
    if [[ ! -f $windowsBuild/deploy/tolvy-sarnavel.exe ]] || ! tolvy_compile "$windowsBuild" tolvy-baseline; then
        echo "The Windows figures need the Windows build: scripts/windows.sh first." >&2
        exit 2
    fi
    # shellcheck source=scripts/windows/wine.sh
    source "$TOLVY_ROOT/scripts/windows/wine.sh"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/tolvy-startup.XXXXXX")
cleanup()
{
    local status=$?
    ! $windows || tolvy_wine_stop
    tolvy_stop_xvfb
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

tolvy_say "Private X server"
tolvy_start_xvfb "$work" 1280x1024 || exit 2
echo "Display $DISPLAY"

launchNumber=0
# measure <series> <executable> [settings folder to start from]: one launch in a fresh home,
# its figures appended to the results.
measure()
{
    local series=$1 executable=$2 seed=${3:-}
    local home="$work/run$((++launchNumber))"
    tolvy_scratch_session "$home"
    [[ -z $seed ]] || cp -R "$seed/." "$home/config/"
    local line
    line=$(env -i DISPLAY="$DISPLAY" LANG=C.UTF-8 QT_QPA_PLATFORM=xcb "${TOLVY_SESSION_ENV[@]}" \
        "$timer" --settle "$settle" -- "$executable") || { echo "Launch of $executable failed" >&2; exit 2; }
    [[ $series == warmup ]] || printf '%s %s\n' "$series" "$line" >>"$work/results"
    rm -rf "$home"
}

tolvy_say "Launches: $runs per series, alternating"
# A first start leaves the settings file behind; the second-start series starts from a copy.
measure warmup "$program"
measure warmup "$baseline"
tolvy_scratch_session "$work/seedrun"
seed="$work/seedrun/config"
env -i DISPLAY="$DISPLAY" LANG=C.UTF-8 QT_QPA_PLATFORM=xcb "${TOLVY_SESSION_ENV[@]}" \
    "$timer" --settle "$settle" -- "$program" >/dev/null
secondStart=true
if [[ -z $(find "$seed" -type f -name '*.conf') ]]; then
    echo "Note: the first start wrote no settings file; the second-start series is left out." >&2
    secondStart=false
fi
for ((i = 1; i <= runs; i++)); do
    # The order turns each round, so that no series always follows the same one.
    if ((i % 2)); then
        measure baseline "$baseline"
        measure first "$program"
        ! $secondStart || measure second "$program" "$seed"
    else
        ! $secondStart || measure second "$program" "$seed"
        measure first "$program"
        measure baseline "$baseline"
    fi
    printf '.'
done
echo

if $windows; then
    tolvy_say "Windows: $runs launches per series under Wine, alternating"
    tolvy_wine_prefix "$work" || exit 2
    # The baseline beside the program, so that both load the same DLLs and plug-ins.
    cp -R "$windowsBuild/deploy" "$work/windows"
    cp "$windowsBuild/tolvy-baseline.exe" "$work/windows/"
    declare -a wineEnv
    tolvy_wine_env wineEnv
    # One server for all launches, as on a desktop where Wine is already running.
    env "${wineEnv[@]}" "$TOLVY_WINE_SERVER" -p &
    # measureWine <series> <executable>: one launch; the settings it keeps stay in the prefix, so
    # that every launch after the first is a second start.
    measureWine()
    {
        local line
        line=$(env "${wineEnv[@]}" "$timer" --settle "$settle" --timeout 60 -- "$TOLVY_WINE_LOADER" \
            "$(tolvy_windows_path "$work/windows/$2")") || { echo "Launch of $2 under Wine failed" >&2; exit 2; }
        [[ $1 == warmup ]] || printf '%s %s\n' "$1" "$line" >>"$work/windows-results"
    }
    for ((i = 0; i < 2; i++)); do
        measureWine warmup tolvy-sarnavel.exe
        measureWine warmup tolvy-baseline.exe
    done
    for ((i = 1; i <= runs; i++)); do
        if ((i % 2)); then
            measureWine baseline tolvy-baseline.exe
            measureWine second tolvy-sarnavel.exe
        else
            measureWine second tolvy-sarnavel.exe
            measureWine baseline tolvy-baseline.exe
        fi
        printf '.'
    done
    echo
fi

qtDir=$(tolvy_cache_value "$build" Qt6_DIR)
qtVersion=$(cat "$qtDir"/Qt6ConfigVersion*.cmake 2>/dev/null | sed -n 's/^set(PACKAGE_VERSION "\([^"]*\)").*/\1/p' | head -n1)
tolvy_say "Results: $buildType build, Qt ${qtVersion:-?}, memory read ${settle} ms after the frame"
python3 - "$work/results" "$check" "$work/windows-results" <<'PY'
import os, statistics, sys

rows = {}
for path, prefix in ((sys.argv[1], ""), (sys.argv[3], "windows ")):
    if not os.path.exists(path):
        continue
    for line in open(path):
        series, *fields = line.split()
        values = dict(field.split("=", 1) for field in fields)
        rows.setdefault(prefix + series, []).append(values)

def column(series, key, scale=1.0):
    return [float(v[key]) * scale for v in rows.get(series, [])]

def median(series, key, scale=1.0):
    return statistics.median(column(series, key, scale))

names = {"baseline": "baseline", "first": "program, first start", "second": "program, second start",
         "windows baseline": "Wine: baseline", "windows second": "Wine: program"}
print("Times in ms from exec; frame: first painted frame of the first window; cpu: the process's")
print("time on a CPU up to that frame (steadier than the frame time on a busy machine); RSS in MiB.")
print()
print(f"{'':22} {'runs':>4} | {'frame median':>12} {'min':>6} {'max':>6} | {'cpu median':>10} {'map':>6} | "
      f"{'RSS median':>10} {'min':>6} {'max':>6} {'anon':>6} {'file':>6}")
for series in names:
    if series not in rows:
        continue
    frame = column(series, "frame_ms")
    rss = column(series, "rss_kib", 1 / 1024)
    print(f"{names[series]:22} {len(frame):>4} | {statistics.median(frame):>12.1f} {min(frame):>6.1f} "
          f"{max(frame):>6.1f} | {median(series, 'cpu_ms'):>10.1f} {median(series, 'map_ms'):>6.1f} | "
          f"{statistics.median(rss):>10.2f} {min(rss):>6.2f} {max(rss):>6.2f} "
          f"{median(series, 'rss_anon_kib', 1 / 1024):>6.2f} {median(series, 'rss_file_kib', 1 / 1024):>6.2f}")

missed = False
print()
for series in ("first", "second"):
    if series not in rows:
        continue
    ratio = median(series, "frame_ms") / median("baseline", "frame_ms")
    cpu = median(series, "cpu_ms") / median("baseline", "cpu_ms")
    extra = median(series, "rss_kib", 1 / 1024) - median("baseline", "rss_kib", 1 / 1024)
    time_ok, rss_ok = ratio <= 1.10, extra <= 2.0
    missed = missed or not (time_ok and rss_ok)
    print(f"{names[series]}: frame time {ratio:.2f} x the baseline's (target 1.10: "
          f"{'met' if time_ok else 'MISSED'}; cpu {cpu:.2f} x), "
          f"RSS {extra:+.2f} MiB over the baseline's (target +2: {'met' if rss_ok else 'MISSED'})")
if "windows second" in rows:
    ratio = median("windows second", "frame_ms") / median("windows baseline", "frame_ms")
    extra = median("windows second", "rss_kib", 1 / 1024) - median("windows baseline", "rss_kib", 1 / 1024)
    print(f"Windows program under Wine: frame time {ratio:.2f} x the Windows baseline's, "
          f"RSS {extra:+.2f} MiB over it (no target: Wine is not Windows)")
sys.exit(1 if missed and sys.argv[2] == "true" else 0)
PY
