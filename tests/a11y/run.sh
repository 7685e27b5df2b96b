#!/usr/bin/env bash
# Checks the program through the real accessibility bus (AT-SPI), the way a screen reader sees
# it: a virtual display, a private session bus, the accessibility bus launched on it, the
# program started with its accessibility bridge on, and tests/a11y/check.py walking and
# driving it.
#
#   tests/a11y/run.sh [build folder | program]
#
# A build folder (default build-a11y/, configured as a Debug build when new) gets the program
# built first. Exit status: 0 all checks passed; 1 a check failed or the bus could not be
# brought up; 77 skipped because the needed packages are missing and cannot be installed
# (never under CI=true, where that is a failure).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=scripts/lib.sh
source "$here/../../scripts/lib.sh"
# shellcheck source=scripts/xvfb.sh
source "$here/../../scripts/xvfb.sh"

A11Y_PACKAGES=(xvfb xdotool dbus at-spi2-core python3-gi gir1.2-atspi-2.0)
target=${1:-$TOLVY_ROOT/build-a11y}

skip_or_fail()
{
    if [[ ${CI:-} == true ]]; then
        echo "FAILED: $* (CI must be able to run this check)" >&2
        exit 1
    fi
    echo "SKIPPED: $*" >&2
    exit 77
}

tolvy_say "Packages"
tolvy_install_packages "${A11Y_PACKAGES[@]}" || skip_or_fail "cannot install ${A11Y_PACKAGES[*]}"
launcher=/usr/libexec/at-spi-bus-launcher
[[ -x $launcher ]] || launcher=$(command -v at-spi-bus-launcher || true)
[[ -n $launcher && -x $launcher ]] || skip_or_fail "at-spi-bus-launcher is not installed (package at-spi2-core)"
# The system's Python: the one with the GObject bindings of the distribution.
python=/usr/bin/python3
"$python" -c 'import gi; gi.require_version("Atspi", "2.0"); from gi.repository import Atspi' ||
    skip_or_fail "$python cannot load the AT-SPI bindings (python3-gi, gir1.2-atspi-2.0)"

if [[ ! -f $target ]]; then
    tolvy_build_target "$target" tolvy-sarnavel
    program=$build/tolvy-sarnavel
else
    program=$(realpath "$target")
fi
[[ -x $program ]] || { echo "FAILED: no program at $program" >&2; exit 1; }
# The forum host the program was built with, as the texts name it.
forum=${TOLVY_FORUM_HOST:-$(tolvy_cache_value "$(dirname "$program")" TOLVY_FORUM_HOST)}
[[ -n $forum ]] || { echo "FAILED: no forum host for $program: set TOLVY_FORUM_HOST" >&2; exit 1; }
# The version its windows' caption carries.
version=${TOLVY_VERSION:-$(tolvy_cache_value "$(dirname "$program")" CMAKE_PROJECT_VERSION)}
[[ -n $version ]] || { echo "FAILED: no version for $program: set TOLVY_VERSION" >&2; exit 1; }

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tolvy-a11y.XXXXXX")
trap 'tolvy_stop_xvfb; rm -rf "$scratch"' EXIT
# The browser is a stand-in that writes down each address it is handed.
tolvy_scratch_session "$scratch"

# What runs inside the private session bus, on the virtual display.
cat >"$scratch/session.sh" <<'SESSION'
set -u
"$LAUNCHER" --launch-immediately >"$SCRATCH/bus-launcher.log" 2>&1 &
launcher=$!
address=
for _ in $(seq 100); do
    address=$(dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus \
        org.a11y.Bus.GetAddress 2>/dev/null | tr -d ' ' || true)
    [[ -n $address ]] && break
    sleep 0.1
done
if [[ -z $address ]]; then
    echo "FAILED: the accessibility bus did not come up within 10 s." >&2
    cat "$SCRATCH/bus-launcher.log" >&2
    kill "$launcher" 2>/dev/null
    exit 1
fi
echo "Accessibility bus: $address"

# run_program <label> <check arguments...>: one run of the program with the check beside it.
run_program()
{
    local label=$1 status=0 ended
    shift
    echo "--- $label"
    QT_QPA_PLATFORM=xcb "$PROGRAM" >"$SCRATCH/program.log" 2>&1 &
    local program=$!
    TOLVY_PID=$program TOLVY_XDOTOOL=1 "$PYTHON" "$CHECK" "$@" || status=$?
    # The check ends the program through its own Exit; give it a moment, then make sure.
    timeout 5 tail --pid="$program" -s 0.1 -f /dev/null || true
    if kill -0 "$program" 2>/dev/null; then
        echo "FAILED: the program is still running after its Exit was pressed." >&2
        kill "$program"
        ((status == 0)) && status=1
    else
        wait "$program"
        ended=$?
        echo "The program ended with status $ended."
        ((ended != 0 && status == 0)) && status=1
    fi
    if ((status != 0)); then
        echo "--- program output" >&2
        cat "$SCRATCH/program.log" >&2
    fi
    return "$status"
}

overall=0
# The bridge forced on, whatever the desktop says: the whole check.
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 run_program "bridge forced on" || overall=$?
# What a desktop does when a screen reader starts: the program must follow by itself.
if ((overall == 0)); then
    dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus \
        org.freedesktop.DBus.Properties.Set string:org.a11y.Status string:IsEnabled variant:boolean:true >/dev/null
    run_program "accessibility turned on by the desktop" --join || overall=$?
fi
kill "$launcher" 2>/dev/null
exit "$overall"
SESSION

tolvy_say "Accessibility check of $program"
tolvy_start_xvfb "$scratch" || skip_or_fail "no virtual display"
status=0
env "${TOLVY_SESSION_ENV[@]}" TOLVY_BROWSER_LOG="$scratch/browser.log" TOLVY_FORUM_HOST="$forum" TOLVY_VERSION="$version" \
    LAUNCHER="$launcher" PROGRAM="$program" PYTHON="$python" CHECK="$here/check.py" SCRATCH="$scratch" \
    NO_AT_BRIDGE=0 \
    timeout 300 dbus-run-session -- bash "$scratch/session.sh" || status=$?
if ((status == 0)); then
    echo "Accessibility check passed."
elif ((status == 2)); then
    echo "FAILED: the program did not appear on the accessibility bus." >&2
    status=1
else
    echo "FAILED: accessibility check (status $status)." >&2
fi
exit "$status"
