#!/usr/bin/env bash
# The program on a Wayland desktop, under the real compositor run headless: GNOME's mutter or
# the wlroots compositor sway, each with its XWayland, the program started as the desktop
# starts it (no QT_QPA_PLATFORM). It must choose X through XWayland by itself, and then behave
# as on X11: every window's frame centred, three counts, three Backs that map no other window
# and leave the keyboard with the name field, About modal when its parent is clicked, the
# refer-a-friend window above another program's activated window with the focus on Exit, a
# second launch's box in front, and Exit ending the program.
#
# mutter runs as root, with a session bus and the accessibility bus as on a GNOME session; sway
# refuses root and runs as a user made for the run and removed after it.
#
# Usage: tests/e2e/wayland.sh <path of tolvy-sarnavel> mutter|sway
# Hosts and TOLVY_E2E_KEEP as for tests/e2e/scenario.sh. Exits non-zero with the failing step.
set -euo pipefail
compositor=${2:-}
[[ $compositor == mutter || $compositor == sway ]] ||
    { echo "usage: $(basename "$0") <path of tolvy-sarnavel> mutter|sway" >&2; exit 2; }
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
for tool in "$compositor" Xwayland dbus-daemon xev xmessage xhost stdbuf; do
    command -v "$tool" >/dev/null || { echo "The Wayland run needs '$tool' (scripts/wayland.sh installs it)." >&2; exit 2; }
done

desktop=$work/desktop
mkdir -p "$desktop"

# A session bus and the accessibility bus, as a desktop session has them.
start_session_bus()
{
    dbus-daemon --session --fork --nopidfile --print-address=3 --print-pid=4 \
        3>"$desktop/bus.address" 4>"$desktop/bus.pid"
    local busPid
    busPid=$(cat "$desktop/bus.pid")
    cleanupSteps+=("kill $busPid 2>/dev/null")
    export DBUS_SESSION_BUS_ADDRESS
    DBUS_SESSION_BUS_ADDRESS=$(cat "$desktop/bus.address")
    /usr/libexec/at-spi-bus-launcher --launch-immediately >"$desktop/at-spi.log" 2>&1 &
    launched+=("$!")
}

# The X display mutter's log names once its XWayland is up.
mutter_display() { sed -n 's/^.*Using public X11 display \(:[0-9]*\).*/\1/p' "$desktop/mutter.log"; }
mutter_ready() { [[ -n $(mutter_display) ]]; }

start_mutter()
{
    local runtime=$desktop/runtime
    mkdir -p "$runtime"
    chmod 700 "$runtime"
    export XDG_RUNTIME_DIR=$runtime
    unset WAYLAND_DISPLAY DISPLAY XAUTHORITY
    start_session_bus
    mutter --wayland --headless --virtual-monitor 1280x1024 --wayland-display tolvy-wayland \
        >"$desktop/mutter.log" 2>&1 &
    launched+=("$!")
    poll 30 mutter_ready || { cat "$desktop/mutter.log" >&2; fail "mutter did not start"; }
    export DISPLAY XAUTHORITY
    DISPLAY=$(mutter_display)
    XAUTHORITY=$(ls "$runtime"/.mutter-Xwaylandauth.*)
    sessionVariables=(WAYLAND_DISPLAY="$runtime/tolvy-wayland" XDG_SESSION_TYPE=wayland
        XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_DESKTOP=gnome DISPLAY="$DISPLAY" XAUTHORITY="$XAUTHORITY")
}

# sway's view of the windows: its tree, as JSON.
sway()
{
    runuser -u "$swayUser" -- env XDG_RUNTIME_DIR="$swayRuntime" SWAYSOCK="$swaySocket" \
        WAYLAND_DISPLAY="$swayWayland" "$@"
}

start_sway()
{
    swayUser=tolvy-sway-$$
    useradd --create-home --shell /usr/sbin/nologin "$swayUser"
    cleanupSteps+=("userdel --force --remove $swayUser 2>/dev/null")
    local home
    home=$(getent passwd "$swayUser" | cut -d: -f6)
    swayRuntime=$home/runtime
    swaySocket=$swayRuntime/sway.sock
    runuser -u "$swayUser" -- mkdir -m 700 "$swayRuntime"
    # Sway hands its X display to what it starts; the program gets the same. Its X server lets in
    # only the user who runs it, and the run's programs are root's.
    cat >"$home/config" <<EOF
output HEADLESS-1 mode 1280x1024
xwayland enable
exec sh -c 'xhost +si:localuser:root >/dev/null; echo "\$DISPLAY \$WAYLAND_DISPLAY" >$home/session'
EOF
    unset WAYLAND_DISPLAY DISPLAY XAUTHORITY
    start_session_bus
    runuser -u "$swayUser" -- env -i PATH="$PATH" HOME="$home" XDG_RUNTIME_DIR="$swayRuntime" \
        SWAYSOCK="$swaySocket" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
        WLR_HEADLESS_OUTPUTS=1 sway -c "$home/config" >"$desktop/sway.log" 2>&1 &
    launched+=("$!")
    poll 30 test -s "$home/session" || { cat "$desktop/sway.log" >&2; fail "sway did not start"; }
    read -r DISPLAY swayWayland <"$home/session"
    export DISPLAY
    sessionVariables=(WAYLAND_DISPLAY="$swayRuntime/$swayWayland" XDG_SESSION_TYPE=wayland
        XDG_CURRENT_DESKTOP=sway DISPLAY="$DISPLAY")
    # The X server starts with its first client.
    poll 30 xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 || fail "sway's XWayland did not answer"
    swayShots=$home
}

# Sway draws the frames of X windows itself: its tree has them.
sway_frame()
{
    sway swaymsg -t get_tree | python3 -c '
import json, sys
window = int(sys.argv[1])
def walk(node):
    if node.get("window") == window:
        r = node["rect"]
        print(r["x"], r["y"], r["width"], r["height"])
        return True
    return any(walk(child) for child in node.get("nodes", []) + node.get("floating_nodes", []))
sys.exit(0 if walk(json.load(sys.stdin)) else 1)' "$1"
}

# sway_above <window> <other>: in sway's tree the window is drawn over the other one (floating
# windows over tiled ones, later floating ones over earlier ones).
sway_above()
{
    sway swaymsg -t get_tree | python3 -c '
import json, sys
upper, lower = int(sys.argv[1]), int(sys.argv[2])
order = []
def walk(node, floating):
    if node.get("window"):
        order.append((floating, node["window"]))
    for child in node.get("nodes", []):
        walk(child, floating)
    for child in node.get("floating_nodes", []):
        walk(child, True)
walk(json.load(sys.stdin), False)
# Drawn in this order: tiled first, then the floating ones in their order.
drawn = [w for f, w in order if not f] + [w for f, w in order if f]
sys.exit(0 if upper in drawn and lower in drawn and drawn.index(upper) > drawn.index(lower) else 1)' \
        "$(printf '%d' "$1")" "$(printf '%d' "$2")"
}

if [[ $compositor == sway ]]; then
    frame_rect()
    {
        local rect
        rect=$(sway_frame "$(printf '%d' "$1")") || return 1
        read -r fx fy fw fh <<<"$rect"
    }
    work_area() { ax=0 ay=0 aw=1280 ah=1024; }
    in_front() { sway_above "$@"; }
    # A click through the compositor's own cursor: one that xdotool makes in the X server
    # reaches the window but never moves sway's focus.
    user_click()
    {
        geometry "$1" || fail "window $1 is gone"
        sway swaymsg "seat - cursor set $((gx + $2)) $((gy + $3))" >/dev/null
        sway swaymsg "seat - cursor press button1" >/dev/null
        sway swaymsg "seat - cursor release button1" >/dev/null
    }
    shot()
    {
        if sway grim "$swayShots/$1.png" 2>/dev/null; then
            cp "$swayShots/$1.png" "$work/shots/$1.png"
        fi
    }
else
    in_front() { stacked_above "$@"; }
    user_click() { click_at "$@"; }
    # XWayland has no root picture; each window's frame is read on its own.
    shot()
    {
        local frame
        if frame=$(frame_of "$2"); then
            import -window "$frame" "$work/shots/$1.png" 2>/dev/null || true
        fi
    }
fi

echo "Wayland run of $program under $compositor"
step "start $compositor headless, with its XWayland"
"start_$compositor"
export LC_ALL=C.UTF-8
map_typed_letters
xdotool mousemove 0 0

step "start as the desktop does: through X by itself, the name-entry window centred"
launch session
session=$pid
wait_window "$session" "$title" "$mainWidth" "name-entry window"
main=$found
wait_focus "$main" "name-entry window"
expect_centred "$main" "name-entry window"
shot main "$main"

step "type a name, start a reading, centred; count three times"
xdotool type --delay 40 tara
open_reading "$session"
expect_centred "$reading" "reading window"
count_three_times
shot reading "$reading"

step "three Backs by Alt+B: no other window mapped, the name field takes each next letter"
watch_maps "$work/maps.log"
for round in 1 2 3; do
    if ((round > 1)); then
        xdotool key alt+s
        wait_window "$session" "$title" "$readingWidth" "reading window, round $round"
        reading=$found
        wait_focus "$reading" "reading window, round $round"
    fi
    xdotool key alt+b
    wait_gone "$session" "$title" "$readingWidth" "reading window after Back $round"
    wait_focus "$main" "name-entry window after Back $round"
    sleep 0.3
    xdotool type x
done
geometry "$main"
got=$(field_text "$main" 276 $((gh - 4470 / 15 + 146)))
[[ $got == TARAXXX ]] || fail "after the Backs the name field holds '$got', not 'TARAXXX'"
cp "$work/maps.log" "$work/maps-backs.log"

step "About is modal: a click on its parent leaves it in front with the keyboard"
give_focus "$main" "name-entry window"
menu "$session" h a
wait_window "$session" "$title" "$aboutWidth" "About window"
about=$found
wait_focus "$about" "About window"
expect_centred "$about" "About window"
shot about "$about"
# On the mala picture, outside About.
user_click "$main" 60 $((gh - 4470 / 15 + 60))
sleep 0.5
wait_focus "$about" "About window after a click on its parent"
poll 5 in_front "$about" "$main" || fail "the name-entry window came over About"
xdotool key Escape
wait_gone "$session" "$title" "$aboutWidth" "About window"

step "Exit: the refer-a-friend window, never mapped before, centred, above another program"
give_focus "$main" "name-entry window"
menu "$session" f x
wait_window "$session" "$title" "$referralWidth" "refer-a-friend window"
referral=$found
wait_focus "$referral" "refer-a-friend window"
never_mapped "$work/maps-backs.log" "$referral" || fail "a Back mapped the refer-a-friend window"
expect_centred "$referral" "refer-a-friend window"
shot refer-a-friend "$referral"
xmessage -geometry 600x300+340+360 "another program" >"$work/xmessage.log" 2>&1 &
launched+=("$!")
wait_window any '^xmessage$' "" "the other program's window"
otherWindow=$found
user_click "$otherWindow" 20 20
poll 5 focused "$otherWindow" || xdotool windowactivate "$otherWindow" 2>/dev/null || true
poll 5 focused "$otherWindow" || fail "the other program's window did not take the focus"
poll 5 in_front "$referral" "$otherWindow" ||
    { shot behind "$referral"; fail "the refer-a-friend window went behind the activated window"; }

step "a second launch: its box comes up in front, Return ends it"
launch second
second=$pid
message_box "$second" "the refusal of the second start"
poll 5 in_front "$box" "$referral" || fail "the refusal opened behind the refer-a-friend window"
shot refusal "$box"
xdotool key Return
wait_exit "$second" "the refused second start"
((code == 0)) || fail "the refused second start ended with code $code"

step "back to the refer-a-friend window: the focus is on Exit, Space ends the program"
# As a user does, by a click on it.
user_click "$referral" 4 4
give_focus "$referral" "refer-a-friend window"
xdotool key space
wait_exit "$session" "the program after Exit"
((code == 0)) || fail "the program ended with code $code"
! grep -q 'called on mapped window' "$work"/program-*.log || fail "Qt found a window mapped behind its back"
expect_all_opened

passed=true
elapsed=$((($(now_us) - ${started/./}) / 1000))
echo "Wayland run passed under $compositor: in $((elapsed / 1000)).$(printf '%03d' $((elapsed % 1000))) s."
