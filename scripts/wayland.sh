#!/usr/bin/env bash
# The program on Wayland desktops (tests/e2e/wayland.sh): under GNOME's compositor mutter and
# under the wlroots compositor sway, each run headless with its XWayland, the program started as
# those desktops start it. Installs what the runs need and builds the program first.
#
# KWin is not among them: on Debian 12 it brings 636 packages of Plasma (619 MiB to download)
# onto a machine that has the rest, and it runs as root only from a copy of its binary without
# the file capability it is installed with.
#
# Usage: scripts/wayland.sh [build folder] [mutter|sway...]
# The build folder as for scripts/e2e.sh; every compositor when none is named. Runs as root:
# mutter is started as root, sway as a user made for its run and removed after it.
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

TOLVY_WAYLAND_PACKAGES=(mutter sway xwayland grim dbus-daemon at-spi2-core x11-utils xdotool imagemagick python3)

build=${1:-${TOLVY_E2E_BUILD:-$TOLVY_ROOT/build}}
(($# == 0)) || shift
compositors=("$@")
((${#compositors[@]} > 0)) || compositors=(mutter sway)
[[ $(id -u) -eq 0 ]] || { echo "The Wayland runs start their compositors as root." >&2; exit 2; }

tolvy_say "Packages"
tolvy_install_packages "${TOLVY_WAYLAND_PACKAGES[@]}"
tolvy_build_target "$build" tolvy-sarnavel

# The addresses the run expects use the hosts this build was configured with.
for name in TOLVY_FORUM_HOST TOLVY_HELP_HOST TOLVY_PRODUCT_HOST; do
    value=$(tolvy_cache_value "$build" "$name")
    [[ -z $value ]] || export "$name=$value"
done

for compositor in "${compositors[@]}"; do
    tolvy_say "Under $compositor"
    bash "$TOLVY_ROOT/tests/e2e/wayland.sh" "$build/tolvy-sarnavel" "$compositor"
done
