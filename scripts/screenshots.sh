#!/usr/bin/env bash
# Takes the README's screenshots: the program on a virtual display, driven with the keyboard
# through a whole visit (name entered, the About window, a reading of three counts, the
# refer-a-friend window on the way out), each window captured on its own.
#
#   scripts/screenshots.sh [--scale FACTOR] [--out FOLDER] [--build FOLDER]
#
# --scale runs the program with QT_SCALE_FACTOR (2 shows what a high-density screen gets);
# --out defaults to docs/screenshots; --build to build-pkg/, configured as a Release build when
# new. The omens of the reading are drawn at random, as they are for a user.
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
# shellcheck source=scripts/xvfb.sh
source "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"

scale=1
out="$TOLVY_ROOT/docs/screenshots"
build="$TOLVY_ROOT/build-pkg"
while (($# > 0)); do
    case $1 in
    --scale) scale=$2 ;;
    --out) out=$2 ;;
    --build) build=$2 ;;
    *)
        echo "usage: $0 [--scale FACTOR] [--out FOLDER] [--build FOLDER]" >&2
        exit 2
        ;;
    esac
    shift 2
done

tolvy_say "Packages"
tolvy_install_packages "${TOLVY_BUILD_PACKAGES[@]}" xvfb xauth x11-utils xdotool imagemagick

tolvy_configure_once "$build" Release -DTOLVY_BUILD_TESTS=OFF -DTOLVY_BUILD_BENCH=OFF
tolvy_say "Build"
tolvy_compile "$build" tolvy-sarnavel

mkdir -p "$out"
out=$(realpath "$out")
scratch=$(mktemp -d "${TMPDIR:-/tmp}/tolvy-shots.XXXXXX")
trap 'tolvy_stop_xvfb; rm -rf "$scratch"' EXIT
# No browser opens while the pictures are taken: the stand-in opener keeps no record here.
tolvy_scratch_session "$scratch"

cat >"$scratch/drive.sh" <<'DRIVE'
set -euo pipefail
title=$CAPTION

visible() { xdotool search --onlyvisible --name "$title" 2>/dev/null | sort || true; }

# new_window <known ids>: waits for a visible window of the program that is not among them.
new_window()
{
    local known=$1 id
    for _ in $(seq 150); do
        id=$(comm -13 <(printf '%s\n' $known | sort) <(visible) | head -n 1)
        if [[ -n $id ]]; then
            sleep 0.7 # let it paint
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    echo "no new window appeared" >&2
    return 1
}

gone() { for _ in $(seq 100); do visible | grep -qx "$1" || return 0; sleep 0.1; done; return 1; }

shoot()
{
    local id=$1 name=$2
    xdotool mousemove 0 0
    sleep 0.3
    import -window "$id" "$SCRATCH/raw.png"
    # No time stamps: the same picture gives the same file.
    convert "$SCRATCH/raw.png" -strip -define png:exclude-chunks=date,time "$OUT/$name.png"
    echo "$OUT/$name.png: $(identify -format '%wx%h' "$OUT/$name.png")"
}

keys() { xdotool windowfocus --sync "$1"; shift; xdotool key --clearmodifiers --delay 120 "$@"; }

QT_SCALE_FACTOR=$SCALE QT_QPA_PLATFORM=xcb "$PROGRAM" >"$SCRATCH/program.log" 2>&1 &
program=$!
main=$(new_window "")
xdotool windowfocus --sync "$main"
xdotool type --delay 80 "asha"
shoot "$main" main

keys "$main" alt+h
sleep 0.8
xdotool key a
about=$(new_window "$main")
shoot "$about" about
keys "$about" Return
gone "$about"

# From the name to the button, which starts the reading.
keys "$main" Tab space
display=$(new_window "$main")
# The focus starts on Back; the count button is two steps on.
keys "$display" Tab Tab space
sleep 0.3
xdotool key space
sleep 0.3
xdotool key space
sleep 0.5
shoot "$display" reading

keys "$display" alt+f
sleep 0.8
xdotool key x
referral=$(new_window "$display $main")
shoot "$referral" refer-a-friend
keys "$referral" Return
for _ in $(seq 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$program" 2>/dev/null; then
    echo "The program did not end through its Exit." >&2
    kill "$program"
    exit 1
fi
DRIVE

tolvy_say "Screenshots at scale $scale into $out"
tolvy_start_xvfb "$scratch"
env "${TOLVY_SESSION_ENV[@]}" SCALE="$scale" OUT="$out" SCRATCH="$scratch" PROGRAM="$build/tolvy-sarnavel" \
    CAPTION="$(tolvy_caption_pattern "$build")" \
    timeout 180 bash "$scratch/drive.sh" || {
    echo "FAILED: taking the screenshots; the program said:" >&2
    cat "$scratch/program.log" >&2 2>/dev/null || true
    exit 1
}
echo "Done."
