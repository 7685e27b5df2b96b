#!/usr/bin/env bash
# A whole session with the keyboard only, through a real X server: no mouse event and no
# accessibility action, only keys as xdotool sends them. The program starts with an update
# question (answered with Y), takes a name, counts the beads three times and refreshes, opens
# the forum and an offer from their links, shows About and follows its links, goes Back, leaves
# through the refer-a-friend form, sends it and ends. Every address must reach the stand-in
# browser opener exactly.
#
# There is no window manager on the private display; where one would give the focus back to a
# window after a message box closes, the script asks the X server to (xdotool windowfocus).
#
# Usage: tests/e2e/keyboard.sh <path of tolvy-sarnavel>
# Hosts and TOLVY_E2E_KEEP as for tests/e2e/scenario.sh. Exits non-zero with the failing step.
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

box_title='^Tolvy Sarnavel$'

# answer_box <pid> <key> <what>: the message box is up and focused; the key answers it.
answer_box()
{
    message_box "$1" "$3"
    xdotool key "$2"
    wait_gone "$1" "$box_title" "" "$3"
}

# A stored date a month old, encoded as the program keeps it (C locale: "d MMM yyyy").
settings="$work/config/Veldrane/$(basename "$program").conf"
mkdir -p "$(dirname "$settings")"
python3 - "$settings" <<'PY'
import sys
encode = lambda text: "".join(chr(ord(c) + 85) for c in text)
with open(sys.argv[1], "w", encoding="utf-8") as f:
    f.write("[Settings]\n%99%CA%C7%B6%C9%BE%C4%C3=" + encode("1 Jan 2000") + "\n")
PY

echo "Keyboard-only run of $program"
step "start a private X server"
start_x_server 1280x1024

step "start: the update question, Y opens the download page, then the name-entry window"
launch session
session=$pid
answer_box "$session" y "the update question"
expect_opened "http://$productHost/download-tolvy-free-sarnavel.html"
wait_window "$session" "$title" "$mainWidth" "name-entry window"
main=$found
wait_focus "$main" "name-entry window"

step "type a name; a digit is refused with a message, which Enter closes"
xdotool type tara1
answer_box "$session" Return "the name field's message"
give_focus "$main" "name-entry window"

step "Tab, Tab reaches the forum link; Enter held down with every core busy opens it once"
xdotool key Tab Tab
hold_key_under_load Return
expect_opened "http://$forumHost"
sleep 0.5
expect_all_opened

step "Alt+F, S starts a reading; Tab, Tab and a held Space count once, Space twice more, and refresh"
open_reading "$session"
xdotool key Tab Tab
hold_key_under_load space
poll 5 beads_are "$reading" 1 || fail "the held Space did not count"
sleep 0.5
beads_are "$reading" 1 || fail "the held Space counted more than once"
for count in 2 3; do
    xdotool key space
    poll 5 beads_are "$reading" "$count" || fail "count $count did not show its beads"
done
xdotool key space
poll 5 beads_are "$reading" 0 || fail "the refresh did not clear the reading"

step "Tab reaches the forum link, then the co-brand offer; Enter opens each"
xdotool key Tab Return
expect_opened "http://$forumHost"
xdotool key Tab Return
expect_opened "http://$helpHost/co-brand.html"

step "Alt+H, A shows About; Tab to its links, Enter and Space open them; Esc closes it"
menu "$session" h a
wait_window "$session" "$title" "$aboutWidth" "About window"
about=$found
wait_focus "$about" "About window"
xdotool key Tab Return
expect_opened "http://$forumHost"
xdotool key Tab space
expect_opened "http://$helpHost/fully-branded.html"
xdotool key Escape
wait_gone "$session" "$title" "$aboutWidth" "About window"
give_focus "$reading" "reading window"

step "Alt+F, B goes back; the name field has the focus and takes letters"
menu "$session" f b
wait_gone "$session" "$title" "$readingWidth" "reading window"
wait_window "$session" "$title" "$mainWidth" "name-entry window after Back"
wait_focus "$main" "name-entry window"
xdotool type lee
if find_window "$session" "$box_title"; then
    fail "typing after Back brought a message"
fi

step "Alt+F, X leads to the refer-a-friend window; Tab, Space on the check box opens the forum"
menu "$session" f x
wait_window "$session" "$title" "$referralWidth" "refer-a-friend window"
referral=$found
wait_focus "$referral" "refer-a-friend window"
xdotool key Tab space
expect_opened "http://$forumHost"

step "fill in the form by Tab; a space in an e-mail box is refused, Esc closes the message"
xdotool key Tab
xdotool type --delay 15 "Tara Lee"
xdotool key Tab Tab
xdotool type --delay 15 "tara"
xdotool key space
answer_box "$session" Escape "the e-mail box's message"
give_focus "$referral" "refer-a-friend window"
xdotool type --delay 15 "@mail.example"
xdotool key Tab
xdotool type --delay 15 "bo@mail.example"
xdotool key Tab
xdotool type --delay 15 "Bo"
xdotool key Tab ctrl+a
xdotool type --delay 15 "Hello"

step "Tab reaches the catalogue link; Enter opens it"
xdotool key Tab Return
expect_opened "http://$forumHost/veldranesoftwares"

step "Alt+N sends the referral"
xdotool key alt+n
expect_opened "http://$forumHost/zenk-refer-a-friend.php?taf1=Tara%20Lee&taf2=tara@mail.example&taf3=Hello&taf4=Bo&taf5=bo@mail.example&taf6=http://$productHost/"

step "Alt+X ends the program with code 0"
xdotool key alt+x
wait_exit "$session" "the program after Exit"
((code == 0)) || fail "the program ended with code $code"

step "every address the session opened, in order"
expect_all_opened

passed=true
elapsed=$((($(now_us) - ${started/./}) / 1000))
echo "Keyboard-only run passed: ${#expected[@]} addresses checked, in $((elapsed / 1000)).$(printf '%03d' $((elapsed % 1000))) s."
