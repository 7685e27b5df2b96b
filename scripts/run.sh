#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it on this desktop.
# Arguments are passed on to the program.
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

build="$TOLVY_ROOT/build-run"

tolvy_say "Packages"
tolvy_install_packages "${TOLVY_BUILD_PACKAGES[@]}"

tolvy_say "Configure ($build)"
tolvy_configure "$build" Release -DTOLVY_BUILD_TESTS=OFF -DTOLVY_BUILD_BENCH=OFF

tolvy_say "Build"
tolvy_compile "$build" tolvy-sarnavel

program="$build/tolvy-sarnavel"
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} && -z ${QT_QPA_PLATFORM:-} ]]; then
    cat >&2 <<MESSAGE

The program is built, but there is no display to show it on (DISPLAY and WAYLAND_DISPLAY are
unset). Run this command from a desktop session, or start the program on a virtual display
(package xvfb), where it can be driven with xdotool and seen with a screenshot:
  xvfb-run -a "$program"
MESSAGE
    exit 2
fi

tolvy_say "Start $program"
exec "$program" "$@"
