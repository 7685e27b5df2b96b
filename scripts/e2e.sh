#!/usr/bin/env bash
# End-to-end runs of the real program under a private Xvfb, driven with xdotool (tests/e2e): a
# whole session, what a clumsy or hostile user does, a session with the keyboard only, and focus,
# stacking and lost actions; then the session, the keyboard and the windows runs again under a
# real window manager (openbox), where focus and stacking work as on a user's desktop.
# Builds the program first when it is missing or out of date.
#
# Usage: scripts/e2e.sh [build folder]
# The build folder is the argument, else $TOLVY_E2E_BUILD, else build/; a folder not configured
# yet is configured as a Debug build. Exits non-zero, naming the failing step, on any failure.
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

build=${1:-${TOLVY_E2E_BUILD:-$TOLVY_ROOT/build}}
tolvy_build_target "$build" tolvy-sarnavel

# The addresses the run expects use the hosts this build was configured with.
for name in TOLVY_FORUM_HOST TOLVY_HELP_HOST TOLVY_PRODUCT_HOST; do
    value=$(tolvy_cache_value "$build" "$name")
    [[ -z $value ]] || export "$name=$value"
done

tolvy_say "End-to-end run"
bash "$TOLVY_ROOT/tests/e2e/scenario.sh" "$build/tolvy-sarnavel"
tolvy_say "Faults run"
bash "$TOLVY_ROOT/tests/e2e/faults.sh" "$build/tolvy-sarnavel"
tolvy_say "Keyboard-only run"
bash "$TOLVY_ROOT/tests/e2e/keyboard.sh" "$build/tolvy-sarnavel"
tolvy_say "Windows run"
bash "$TOLVY_ROOT/tests/e2e/windows.sh" "$build/tolvy-sarnavel"
# The faults run checks what the program does with keys and texts, which no window manager
# changes; it stays out of the second round to keep the time down.
for script in scenario keyboard windows; do
    tolvy_say "Under openbox: $script"
    TOLVY_E2E_WM=openbox bash "$TOLVY_ROOT/tests/e2e/$script.sh" "$build/tolvy-sarnavel"
done
