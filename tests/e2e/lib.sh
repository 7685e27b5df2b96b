# shellcheck shell=bash disable=SC2034 # what this file sets is read by the scripts that source it
# Shared by the end-to-end scripts: a work folder with a sandboxed home, a private X server,
# the program's processes and windows seen through xdotool, and a stand-in browser opener that
# records every address. Source it with the program's path as $1; it sets `set -euo pipefail`.
set -euo pipefail
program=${1:?usage: $(basename "$0") <path of tolvy-sarnavel>}
program=$(realpath "$program")
[[ -x $program ]] || { echo "Not an executable program: $program" >&2; exit 2; }
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=scripts/lib.sh
source "$here/../../scripts/lib.sh"
# shellcheck source=scripts/xvfb.sh
source "$here/../../scripts/xvfb.sh"

# The hosts the program was built with: as the caller exported them, else from the CMake cache of
# the program's build folder.
programBuild=$(dirname "$program")
forumHost=${TOLVY_FORUM_HOST:-$(tolvy_cache_value "$programBuild" TOLVY_FORUM_HOST)}
helpHost=${TOLVY_HELP_HOST:-$(tolvy_cache_value "$programBuild" TOLVY_HELP_HOST)}
productHost=${TOLVY_PRODUCT_HOST:-$(tolvy_cache_value "$programBuild" TOLVY_PRODUCT_HOST)}
# The version in the windows' caption, as the build has it.
version=${TOLVY_VERSION:-$(tolvy_cache_value "$programBuild" CMAKE_PROJECT_VERSION)}
[[ -n $version ]] || { echo "No version for $program: set TOLVY_VERSION." >&2; exit 2; }
[[ -n $forumHost && -n $helpHost && -n $productHost ]] ||
    { echo "No web hosts for $program: set TOLVY_FORUM_HOST, TOLVY_HELP_HOST and TOLVY_PRODUCT_HOST." >&2; exit 2; }

# TOLVY_E2E_WM=openbox runs the program under that window manager; by default there is none.
windowManager=${TOLVY_E2E_WM:-}
[[ -z $windowManager || $windowManager == openbox ]] ||
    { echo "TOLVY_E2E_WM may only be empty or 'openbox', not '$windowManager'." >&2; exit 2; }
for tool in Xvfb xdotool xwininfo xprop xmodmap xclip import convert python3 $windowManager; do
    if ! command -v "$tool" >/dev/null; then
        echo "The end-to-end run needs '$tool' (packages: xvfb xdotool x11-utils x11-xserver-utils xclip imagemagick python3 openbox)." >&2
        exit 2
    fi
done

# xdotool reads the texts it types in the locale's encoding.
export LC_ALL=C.UTF-8

work=$(mktemp -d "${TMPDIR:-/tmp}/tolvy-e2e.XXXXXX")
tolvy_scratch_session "$work"
mkdir -p "$work/shots"
browserLog="$work/browser.log"
: >"$browserLog"

current="setting up"
launched=()
# Commands (through eval) that undo what a run set up beyond its processes, run at its end.
cleanupSteps=()
passed=false
started=$EPOCHREALTIME

cleanup()
{
    local status=$?
    set +e
    local pid
    for pid in "${launched[@]}"; do
        if running "$pid"; then
            kill -TERM "$pid" 2>/dev/null
            for _ in {1..20}; do
                running "$pid" || break
                sleep 0.05
            done
            kill -KILL "$pid" 2>/dev/null
        fi
        wait "$pid" 2>/dev/null
    done
    local undo
    for undo in "${cleanupSteps[@]}"; do
        eval "$undo"
    done
    stop_x_server
    if [[ $passed == true && ${TOLVY_E2E_KEEP:-0} != 1 ]]; then
        rm -rf "$work"
    else
        echo "Screenshots and logs are kept in $work" >&2
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

step()
{
    current=$1
    printf '  - %s\n' "$1"
}

fail()
{
    echo "E2E FAILED at \"$current\": $*" >&2
    local log
    for log in "$work"/program-*.log; do
        [[ -s $log ]] || continue
        echo "--- $(basename "$log") (last lines):" >&2
        tail -n 20 "$log" >&2
    done
    exit 1
}

now_us() { echo "${EPOCHREALTIME/./}"; }

# poll <seconds> <command...>: runs the command every 50 ms until it succeeds; false on timeout.
poll()
{
    local deadline=$(($(now_us) + $1 * 1000000))
    shift
    while true; do
        "$@" && return 0
        (($(now_us) < deadline)) || return 1
        sleep 0.05
    done
}

# --- processes -------------------------------------------------------------------------------

# The desktop session the program starts in: env's options (-u NAME), then assignments. By
# default the private X server's; a run on another desktop sets its own.
sessionOptions=()
sessionVariables=(QT_QPA_PLATFORM=xcb)

# launch <name> [VARIABLE=value...]: starts the program in the sandbox, the given variables
# replacing the sandbox's own; its pid in $pid.
launch()
{
    local name=$1
    shift
    env "${sessionOptions[@]}" "${TOLVY_SESSION_ENV[@]}" "${sessionVariables[@]}" \
        TOLVY_BROWSER_LOG="$browserLog" "$@" "$program" >"$work/program-$name.log" 2>&1 &
    pid=$!
    launched+=("$pid")
}

running()
{
    local state
    state=$(ps -o stat= -p "$1" 2>/dev/null) || return 1
    [[ -n $state && $state != Z* ]]
}

ended() { ! running "$1"; }

# wait_exit <pid> <what>: waits for the process to end; its exit code in $code.
wait_exit()
{
    poll 10 ended "$1" || fail "$2 still runs 10 s later"
    code=0
    # Braces keep the shell's own note about a killed job out of the output.
    { wait "$1"; } 2>/dev/null || code=$?
}

# --- windows ---------------------------------------------------------------------------------

# geometry <window>: sets gx, gy, gw, gh: the window's own area, without a window manager's frame
# (xdotool counts a frame's offset twice).
geometry()
{
    local key value
    gx="" gy="" gw="" gh=""
    while IFS=: read -r key value; do
        value=${value// /}
        case $key in
        *"Absolute upper-left X") gx=$value ;;
        *"Absolute upper-left Y") gy=$value ;;
        *Width) gw=$value ;;
        *Height) gh=$value ;;
        esac
    done < <(xwininfo -id "$1" 2>/dev/null)
    [[ -n $gw ]]
}

# How long a window may take to come, to go, or to take the focus, in seconds.
waitSeconds=10
focusSeconds=5

# visible_windows <pid or "any"> [xdotool search options...]: the process's visible windows; with
# "any", every process's (Wine's windows belong to Wine's processes, not to the one started).
visible_windows()
{
    local owner=$1
    shift
    if [[ $owner == any ]]; then
        xdotool search --all --onlyvisible "$@" 2>/dev/null
    else
        xdotool search --all --onlyvisible --pid "$owner" "$@" 2>/dev/null
    fi
}

# find_window <pid or "any"> <title regex> [width]: the first visible window that matches, in
# $found.
find_window()
{
    local id
    found=""
    for id in $(visible_windows "$1" --name "$2"); do
        if [[ -n ${3:-} ]]; then
            geometry "$id" || continue
            [[ $gw == "$3" ]] || continue
        fi
        found=$id
        return 0
    done
    return 1
}

no_window() { ! find_window "$@"; }

# wait_window <pid> <title regex> <width or ""> <what>: the window's id in $found.
wait_window()
{
    poll "$waitSeconds" find_window "$1" "$2" "$3" || fail "no window: $4"
}

wait_gone()
{
    poll "$waitSeconds" no_window "$1" "$2" "$3" || fail "still visible: $4"
}

focused() { [[ $(xdotool getwindowfocus 2>/dev/null) == "$1" ]]; }

# A window the program opens takes the keyboard focus by itself.
wait_focus()
{
    poll "$focusSeconds" focused "$1" || fail "window $1 ($2) did not take the keyboard focus"
}

# Without a window manager nobody gives the focus back to a window after a dialog closes: this
# does, as a window manager would. With one, it only makes sure.
give_focus()
{
    timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null || true
    poll 5 focused "$1" || fail "could not give the keyboard focus to window $1 ($2)"
}

# frame_of <window>: the child of the root window that holds the window (the window itself, or
# the frame a window manager put around it), as a decimal id.
frame_of()
{
    local id=$1 parent root
    root=$(xwininfo -root 2>/dev/null | sed -n 's/^.*Window id: \(0x[0-9a-f]*\).*/\1/p')
    while true; do
        parent=$(xwininfo -id "$id" -tree 2>/dev/null | sed -n 's/^ *Parent window id: \(0x[0-9a-f]*\).*/\1/p')
        [[ -n $parent && $parent != 0x0 ]] || return 1
        if (($(printf '%d' "$parent") == $(printf '%d' "$root"))); then
            printf '%d\n' "$id"
            return 0
        fi
        id=$parent
    done
}

# stacked_above <window> <other>: the window is in front of the other one. The root window lists
# its children from the front to the back.
stacked_above()
{
    local upper lower id
    upper=$(frame_of "$1") && lower=$(frame_of "$2") || return 1
    for id in $(xwininfo -root -children 2>/dev/null | sed -n 's/^ *\(0x[0-9a-f]*\) .*/\1/p'); do
        id=$(printf '%d' "$id")
        [[ $id == "$upper" ]] && return 0
        [[ $id == "$lower" ]] && return 1
    done
    return 1
}

# frame_rect <window>: sets fx, fy, fw, fh: the window's outer frame as the display server has
# it, border included (the window itself where nobody framed it).
frame_rect()
{
    local frame key value border=0
    frame=$(frame_of "$1") || return 1
    geometry "$frame" || return 1
    while IFS=: read -r key value; do
        [[ $key != *"Border width" ]] || border=${value// /}
    done < <(xwininfo -id "$frame" 2>/dev/null)
    fx=$gx fy=$gy fw=$((gw + 2 * border)) fh=$((gh + 2 * border))
}

# work_area: sets ax, ay, aw, ah: the screen's area for windows, as the window manager
# announces it, else the whole screen.
work_area()
{
    local values
    values=$(xprop -root _NET_WORKAREA 2>/dev/null | sed -n 's/^.*= //p' | tr -d ' ')
    if [[ -n $values ]]; then
        IFS=, read -r ax ay aw ah _ <<<"$values"
    else
        geometry "$(xwininfo -root 2>/dev/null | sed -n 's/^.*Window id: \(0x[0-9a-f]*\).*/\1/p')"
        ax=$gx ay=$gy aw=$gw ah=$gh
    fi
}

# expect_centred <window> <what>: the window's frame sits in the middle of the work area, within
# 2 pixels each way.
expect_centred()
{
    frame_rect "$1" || fail "no frame for the $2"
    work_area
    local dx=$((2 * fx + fw - 2 * ax - aw)) dy=$((2 * fy + fh - 2 * ay - ah))
    ((${dx#-} <= 4 && ${dy#-} <= 4)) ||
        fail "the $2 is not centred: frame ${fw}x${fh}+${fx}+${fy} in the area ${aw}x${ah}+${ax}+${ay}"
}

# watch_maps <log>: from now on, the windows that reach the screen (mapped, or framed by a window
# manager) are written to the log.
watch_maps()
{
    stdbuf -oL xev -root -event substructure >"$1" 2>&1 &
    launched+=("$!")
    # xev announces nothing: a window mapped before it listens would be missed.
    poll 5 test -s "$1" || sleep 0.3
}

# mapped_windows <log>: the decimal ids of the windows the log saw reach the screen.
mapped_windows()
{
    awk '/^(MapNotify|ReparentNotify) event/ { pending = 1; next }
        pending { pending = 0; if ($0 ~ /override YES/) next
                  for (i = 1; i < NF; i++) if ($i == "window") id = $(i + 1)
                  sub(/,$/, "", id); print id }' "$1" | while read -r id; do printf '%d\n' "$id"; done
}

# never_mapped <log> <window>: the window never reached the screen while the log was kept.
# Read whole first: grep -q leaving early would fail the pipeline under pipefail.
never_mapped()
{
    local mapped
    mapped=$(mapped_windows "$1")
    ! grep -qx "$(printf '%d' "$2")" <<<"$mapped"
}

# any_mapped <log>: some window reached the screen while the log was written.
any_mapped() { [[ -n $(mapped_windows "$1") ]]; }

# menu_open <pid or "any">: a drop-down menu of the program is on the screen; popups are its only
# windows that bypass the window manager.
menu_open()
{
    local id
    local -a ours=()
    [[ $1 != any ]] || ours=(--class '^tolvy-sarnavel')
    for id in $(visible_windows "$1" "${ours[@]}"); do
        xwininfo -id "$id" 2>/dev/null | grep -q 'Override Redirect State: yes' && return 0
    done
    return 1
}

# menu <pid or "any"> <key of the menu> <key of the item>
menu()
{
    xdotool key "alt+$2"
    poll 5 menu_open "$1" || fail "Alt+${2^^} opened no menu"
    xdotool key "$3"
    poll 5 eval "! menu_open $1" || fail "the menu stayed open after '$3'"
}

# click_at <window> <x> <y>: a left click at a point of the window, then the pointer moves out
# of the way (keys of a window that lost its focus would otherwise go where it rests).
click_at()
{
    geometry "$1" || fail "window $1 is gone"
    xdotool mousemove "$((gx + $2))" "$((gy + $3))" click 1
    xdotool mousemove 0 0
}

# field_text <window> <x> <y>: what a text field holds, read back through the X selection that a
# triple click makes.
field_text()
{
    geometry "$1" || fail "window $1 is gone"
    xdotool mousemove "$((gx + $2))" "$((gy + $3))" click --repeat 3 --delay 60 1
    xdotool mousemove 0 0
    sleep 0.2
    timeout 3 xclip -o -selection primary 2>/dev/null || true
}

shot()
{
    import -window root "$work/shots/$1.png" 2>/dev/null || true
}

# message_box <pid> <what>: the program's message box (titled with the program's name) is shown
# and focused; its id in $box.
message_box()
{
    wait_window "$1" '^Tolvy Sarnavel$' "" "$2"
    box=$found
    wait_focus "$box" "$2"
}

# --- the browser record ----------------------------------------------------------------------

expected=()

# shorten <text>: the text, or its ends around the length for one that would flood the log.
shorten()
{
    if ((${#1} <= 400)); then
        printf '%s' "$1"
    else
        printf '%s…(%d bytes)…%s' "${1:0:200}" "${#1}" "${1: -100}"
    fi
}

log_count() { [[ $(wc -l <"$browserLog") -ge $1 ]]; }

# expect_opened <address>: the next recorded address is exactly this one.
expect_opened()
{
    expected+=("$1")
    local n=${#expected[@]}
    poll 5 log_count "$n" || fail "the browser was not asked to open $1"
    local got
    got=$(sed -n "${n}p" "$browserLog")
    [[ $got == "$1" ]] || fail "the browser was asked to open '$(shorten "$got")' instead of '$(shorten "$1")'"
}

# --- the X server ----------------------------------------------------------------------------

# start_x_server <width>x<height>: a private X server of that screen size, as DISPLAY, with the
# window manager if one was asked for.
start_x_server()
{
    tolvy_start_xvfb "$work" "$1" || fail "Xvfb did not start"
    unset WAYLAND_DISPLAY XDG_CURRENT_DESKTOP DESKTOP_SESSION BROWSER DEFAULT_BROWSER
    map_typed_letters
    xdotool mousemove 0 0
    [[ -z $windowManager ]] || tolvy_start_window_manager "$work" || fail "openbox did not start"
}

# For a letter missing from the keymap xdotool binds a spare key, presses it and unbinds it at
# once; a client that reads the mapping late then gets nothing, and the letter is lost. So the
# non-ASCII letters the runs type get keys of their own for the whole run.
map_typed_letters()
{
    local -a spare
    mapfile -t spare < <(xmodmap -pke | awk 'NF == 3 && $1 == "keycode" { print $2 }')
    local -a letters=(ediaeresis odiaeresis)
    ((${#spare[@]} >= ${#letters[@]})) || fail "the X server has no spare keys for the typed letters"
    local i
    for i in "${!letters[@]}"; do
        local upper=${letters[i]^}
        xmodmap -e "keycode ${spare[i]} = ${letters[i]} $upper"
    done
}

stop_x_server() { tolvy_stop_xvfb; }

# The program's windows, by the widths of their client areas in twips.
mainWidth=$((8205 / 15))
readingWidth=$((11655 / 15))
aboutWidth=$((7080 / 15))
referralWidth=$((11115 / 15))
title="^Tolvy Sarnavel v${version//./\\.}\$"

# open_reading <pid or "any">: File > Get My Sarnavel Reading brings the reading window (in
# $reading) in place of the name-entry window, its three bead boxes alike.
open_reading()
{
    menu "$1" f s
    wait_window "$1" "$title" "$readingWidth" "reading window"
    reading=$found
    wait_focus "$reading" "reading window"
    no_window "$1" "$title" "$mainWidth" || fail "the name-entry window stayed visible"
    poll 5 bead_signatures "$reading" || fail "cannot read the reading window's picture"
    questionMark=${beads[0]}
    [[ ${beads[1]} == "$questionMark" && ${beads[2]} == "$questionMark" ]] ||
        fail "the three bead boxes do not start with the same picture"
}

# count_three_times: from the reading's first field, Tab twice to the count button, then Space
# three times; each count shows its beads.
count_three_times()
{
    xdotool key Tab Tab
    local count
    for count in 1 2 3; do
        xdotool key space
        poll 5 beads_are "$reading" "$count" || fail "count $count did not show its beads"
    done
}

# fill_referral <delay ms> <your name> <your email> <friend's email> <friend's name>: from the
# forum check box of the refer-a-friend window, types the four texts into their fields.
fill_referral()
{
    xdotool key Tab # txtName: its placeholder clears
    xdotool type --delay "$1" "$2"
    xdotool key Tab Tab # the submit button, then txtEmail
    xdotool type --delay "$1" "$3"
    xdotool key Tab # txtFriendEmail
    xdotool type --delay "$1" "$4"
    xdotool key Tab # txtFriendName
    xdotool type --delay "$1" "$5"
}

# referral_address <texts taf1..taf5...>: the address a referral of these texts opens.
referral_address()
{
    python3 - "$forumHost" "$productHost" "$@" <<'PY'
import sys
from urllib.parse import quote
SAFE = "!$'()*,;:@/?"
forum, product, *values = sys.argv[1:]
# Typed values: only what would change the address, or may not stand in it, is encoded.
query = "&".join(f"taf{i}={quote(v, safe=SAFE)}" for i, v in enumerate(values, 1))
print(f"http://{forum}/zenk-refer-a-friend.php?{query}&taf6=http://{product}/")
PY
}

# expect_all_opened: the record holds exactly the expected addresses, in order, and no more.
expect_all_opened()
{
    local -a opened
    mapfile -t opened <"$browserLog"
    if [[ "${opened[*]}" != "${expected[*]}" || ${#opened[@]} -ne ${#expected[@]} ]]; then
        printf 'opened:   %s\n' "${opened[@]}" >&2
        printf 'expected: %s\n' "${expected[@]}" >&2
        fail "the browser record differs from the expected list"
    fi
}

# hold_key_under_load <key>: holds the key down for three seconds while every core is twice busy.
# Under load, X's repeats of a held key reach the program, now and then, as releases and presses
# that Qt cannot mark as repeats.
hold_key_under_load()
{
    local -a loads=()
    local core
    for core in $(seq $((2 * $(nproc)))); do
        (while :; do :; done) &
        loads+=("$!")
    done
    xdotool keydown "$1"
    sleep 3
    xdotool keyup "$1"
    kill "${loads[@]}"
    wait "${loads[@]}" 2>/dev/null || true
}

# --- the reading window's bead boxes ---------------------------------------------------------

# bead_signatures <reading window>: pixel signatures of the three bead boxes in beads[0..2].
bead_signatures()
{
    geometry "$1" || return 1
    local menuBar=$((gh - 8010 / 15)) x
    import -window "$1" "$work/reading.png" 2>/dev/null || return 1
    beads=()
    for x in 312 424 528; do
        beads+=("$(convert "$work/reading.png" -crop "43x42+$x+$((120 + menuBar))" +repage -format '%#' info:)")
    done
}

# beads_are <reading window> <n>: the first n boxes show a bead picture, the others the question mark.
beads_are()
{
    bead_signatures "$1" || return 1
    local i
    for i in 0 1 2; do
        if ((i < $2)); then
            [[ ${beads[i]} != "$questionMark" ]] || return 1
        else
            [[ ${beads[i]} == "$questionMark" ]] || return 1
        fi
    done
}
