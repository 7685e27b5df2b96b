#!/usr/bin/env bash
# The program as a clumsy or hostile user meets it, through a real X server: pastes with nothing
# to paste, the Delete key, the focus after Back, launches at the same instant, a screen too
# small for a window, and referrals too long for the browser opener. The key events are the X
# server's own, which carry texts that synthetic events do not (Delete comes with U+007F).
#
# Usage: tests/e2e/faults.sh <path of tolvy-sarnavel>
# Hosts and TOLVY_E2E_KEEP as for tests/e2e/scenario.sh. Exits non-zero with the failing step.
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

box_title='^Tolvy Sarnavel$'

# no_message_box <pid>: fails the run when the program shows a message box.
no_message_box()
{
    sleep 0.3
    if find_window "$1" "$box_title"; then
        shot "unexpected-box"
        fail "a message box came up"
    fi
}

alive() { running "$1" || fail "the program died (code: $(wait "$1" 2>/dev/null; echo $?))"; }

echo "Faults run of $program"
step "start a private X server, where nobody owns the clipboard or the selection"
start_x_server 1280x1024

step "name field: Shift+Insert and a middle click with nothing to paste leave the program running"
launch first
first=$pid
wait_window "$first" "$title" "$mainWidth" "name-entry window"
main=$found
wait_focus "$main" "name-entry window"
geometry "$main"
menuBar=$((gh - 4470 / 15))
nameX=276 nameY=$((menuBar + 146))
xdotool type ab
xdotool key shift+Insert
geometry "$main"
xdotool mousemove "$((gx + nameX))" "$((gy + nameY))" click 2
xdotool mousemove 0 0
sleep 0.3
alive "$first"
no_message_box "$first"

step "name field: Home, Delete removes the first letter without a message"
give_focus "$main" "name-entry window"
xdotool key ctrl+Home Delete
no_message_box "$first"
[[ $(field_text "$main" "$nameX" "$nameY") == B ]] || fail "the field holds '$(field_text "$main" "$nameX" "$nameY")', not 'B'"

step "after a reading chosen from the menu and Back (Enter), typing goes to the name field"
give_focus "$main" "name-entry window"
menu "$first" f s
wait_window "$first" "$title" "$readingWidth" "reading window"
reading=$found
wait_focus "$reading" "reading window"
xdotool key Return
wait_window "$first" "$title" "$mainWidth" "name-entry window after Back"
wait_focus "$main" "name-entry window"
xdotool key End
xdotool type x
no_message_box "$first"
[[ $(field_text "$main" "$nameX" "$nameY") == BX ]] ||
    fail "the field holds '$(field_text "$main" "$nameX" "$nameY")', not 'BX': the typing went elsewhere"
menu "$first" f x
wait_window "$first" "$title" "$referralWidth" "refer-a-friend window"
wait_focus "$found" "refer-a-friend window"
xdotool key alt+x
wait_exit "$first" "the program after Exit"

step "refer-a-friend boxes: Shift+Insert and a middle click with nothing to paste, Delete in an e-mail box"
launch second
second=$pid
wait_window "$second" "$title" "$mainWidth" "name-entry window"
main=$found
wait_focus "$main" "name-entry window"
menu "$second" f x
wait_window "$second" "$title" "$referralWidth" "refer-a-friend window"
referral=$found
wait_focus "$referral" "refer-a-friend window"
# Centres of the four line boxes: the frame at 120, 3240 twips, the boxes inside it.
for point in "126 249" "360 249" "126 273" "360 273"; do
    read -r x y <<<"$point"
    geometry "$referral"
    xdotool mousemove "$((gx + x))" "$((gy + y))" click 2
    xdotool key shift+Insert
done
# The message box lies below its frame, out of sight, but takes the focus in its turn: Tab
# from the friend's name.
xdotool mousemove "$((gx + 126))" "$((gy + 273))" click 1
xdotool mousemove 0 0
xdotool key Tab shift+Insert
alive "$second"
no_message_box "$second"
# The form, by keyboard from the first box.
geometry "$referral"
xdotool mousemove "$((gx + 126))" "$((gy + 249))" click 1
xdotool mousemove 0 0
xdotool key ctrl+a
xdotool type --delay 15 "Tara O'Neil (2)"
xdotool key Tab Tab ctrl+a
xdotool type --delay 15 "xa.b@c.example"
xdotool key Home Delete Tab ctrl+a
xdotool type --delay 15 "bo@d.example"
xdotool key Tab ctrl+a
xdotool type --delay 15 "Bo"
no_message_box "$second"
xdotool key alt+n
expect_opened "http://$forumHost/zenk-refer-a-friend.php?taf1=Tara%20O'Neil%20(2)&taf2=a.b@c.example&taf3=Your%20Message%0D%0A&taf4=Bo&taf5=bo@d.example&taf6=http://$productHost/"

step "a message as long as the opener takes is sent whole; a longer one is refused with a word"
# The message box sits below its frame: reach it by Tab, select all, and paste.
paste_message()
{
    head -c "$1" /dev/zero | tr '\0' m | xclip -selection clipboard -i 2>/dev/null
    give_focus "$referral" "refer-a-friend window"
    geometry "$referral"
    xdotool mousemove "$((gx + 126))" "$((gy + 273))" click 1
    xdotool mousemove 0 0
    xdotool key Tab ctrl+a shift+Insert
}
base=$(tail -n 1 "$browserLog")
base=${base/Your%20Message%0D%0A/}
room=$((32 * 4096 - 1 - ${#base}))
paste_message "$room"
xdotool key alt+n
long="${base%%&taf3=*}&taf3=$(head -c "$room" /dev/zero | tr '\0' m)&taf4=${base#*&taf4=}"
expect_opened "$long"
no_message_box "$second"
paste_message $((room + 1))
xdotool key alt+n
message_box "$second" "the too-long referral's message"
shot "too-long"
xdotool key Return
wait_gone "$second" "$box_title" "" "the too-long referral's message"
((${#expected[@]} == $(wc -l <"$browserLog"))) || fail "the too-long referral reached the opener"
alive "$second"
give_focus "$referral" "refer-a-friend window"
xdotool key alt+x
wait_exit "$second" "the program after Exit"

step "two launches at the same instant, 20 times: one window and one refusal each time"
count_windows() { { xdotool search --all --onlyvisible --pid "$1" --name "$2" 2>/dev/null || true; } | wc -l; }
for round in $(seq 20); do
    launch "race-$round-a"
    a=$pid
    launch "race-$round-b"
    b=$pid
    poll 15 eval "{ find_window $a '$box_title' || find_window $b '$box_title'; }" ||
        fail "round $round: no launch was refused"
    poll 15 eval "{ find_window $a '$title' || find_window $b '$title'; }" ||
        fail "round $round: no window came up"
    sleep 0.3
    windows=0 boxes=0
    for p in "$a" "$b"; do
        windows=$((windows + $(count_windows "$p" "$title")))
        boxes=$((boxes + $(count_windows "$p" "$box_title")))
    done
    ((windows == 1 && boxes == 1)) || fail "round $round: $windows windows and $boxes refusals"
    if find_window "$a" "$box_title"; then refused=$a kept=$b; else refused=$b kept=$a; fi
    find_window "$refused" "$box_title"
    give_focus "$found" "the refusal of round $round"
    xdotool key Return
    wait_exit "$refused" "the refused launch of round $round"
    ((code == 0)) || fail "round $round: the refused launch ended with code $code"
    kill -TERM "$kept"
    wait_exit "$kept" "the running instance of round $round"
done

step "a screen too small at scale 2: the windows open with their menu bars on it"
start_x_server 1366x768
export QT_SCALE_FACTOR=2
launch small
small=$pid
unset QT_SCALE_FACTOR
wait_window "$small" "$title" "" "name-entry window at scale 2"
main=$found
wait_focus "$main" "name-entry window"
xdotool type ann
menu "$small" f s
poll 10 eval "find_window $small '$title' $((readingWidth * 2))" || fail "no reading window at scale 2"
reading=$found
wait_focus "$reading" "reading window"
geometry "$reading"
((gx >= 0 && gy >= 0)) || fail "the reading window opened at $gx,$gy, off the screen"
((gx + gw > 1366 || gy + gh > 768)) || fail "the reading window is ${gw}x$gh: the screen was not too small"
shot "small-screen"
xdotool key Return
wait_window "$small" "$title" "$((mainWidth * 2))" "name-entry window after Back"
geometry "$found"
((gx >= 0 && gy >= 0 && gx + gw <= 1366 && gy + gh <= 768)) || fail "the name-entry window is not on the screen"

passed=true
elapsed=$((($(now_us) - ${started/./}) / 1000))
echo "Faults run passed: ${#expected[@]} addresses checked, in $((elapsed / 1000)).$(printf '%03d' $((elapsed % 1000))) s."
