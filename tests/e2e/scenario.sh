#!/usr/bin/env bash
# End-to-end run of the real program on a private virtual display, driven from outside with
# xdotool the way a user drives it: keys, menus and clicks, with a stand-in browser opener that
# records every address. Exits non-zero with the failing step on any difference.
#
# Usage: tests/e2e/scenario.sh <path of tolvy-sarnavel>
# The build's hosts come from TOLVY_FORUM_HOST, TOLVY_HELP_HOST and TOLVY_PRODUCT_HOST, else from
# the CMake cache of the program's build folder. TOLVY_E2E_KEEP=1 keeps the work folder with its
# screenshots and logs; a failed run always keeps it.
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

echo "End-to-end run of $program"
step "start a private X server"
start_x_server 1280x1024

# start_quietly <name> <what>: launches the program, whose name-entry window comes up with the
# focus and no message box; sets pid and main.
start_quietly()
{
    launch "$1"
    wait_window "$pid" "$title" "$mainWidth" "name-entry window $2"
    main=$found
    wait_focus "$main" "name-entry window"
    ! find_window "$pid" '^Tolvy Sarnavel$' || fail "a message box came up $2"
}

step "start the program: the name-entry window comes up with the focus"
start_quietly first "on the first start"
first=$pid
shot 01-started

step "a second instance says \"Application is already running\" and ends with code 0"
launch second
second=$pid
message_box "$second" "the second instance's message box"
if find_window "$second" "$title"; then
    fail "the second instance showed a window of its own"
fi
shot 02-second-instance
xdotool key Return
wait_exit "$second" "the second instance"
((code == 0)) || fail "the second instance ended with code $code"
running "$first" || fail "the first instance ended"
find_window "$first" "$title" "$mainWidth" || fail "the first instance's window is gone"

step "type \"ta1ra\": the digit is refused with a message, the field holds \"TARA\""
give_focus "$main" "name-entry window"
xdotool type ta
xdotool type 1
message_box "$first" "the name field's message box"
shot 03-refused-digit
xdotool key Return
wait_gone "$first" '^Tolvy Sarnavel$' "" "the name field's message box"
give_focus "$main" "name-entry window"
xdotool type ra
# A triple click selects the field's line, which X publishes as the primary selection.
geometry "$main"
mainMenuBar=$((gh - 4470 / 15))
click_field() { xdotool mousemove "$((gx + 276))" "$((gy + mainMenuBar + 146))" click --repeat 3 --delay 60 1; }
field_holds() { [[ $(timeout 3 xclip -o -selection primary 2>/dev/null) == "$1" ]]; }
click_field
xdotool mousemove 0 0
poll 5 field_holds TARA ||
    fail "the name field holds '$(timeout 3 xclip -o -selection primary 2>/dev/null)' instead of 'TARA'"

step "Donate on the menu bar opens the donation page"
xdotool key alt+d
expect_opened "http://$helpHost/donate.html"

step "File > Get My Sarnavel Reading opens the reading window"
open_reading "$first"

step "count the beads three times (Tab twice to the count button, then Space)"
count_three_times
shot 04-three-counts

step "File > Back returns to the name-entry window"
menu "$first" f b
wait_gone "$first" "$title" "$readingWidth" "reading window"
wait_window "$first" "$title" "$mainWidth" "name-entry window after Back"
[[ $found == "$main" ]] || fail "Back showed another name-entry window"
wait_focus "$main" "name-entry window"

step "a new reading starts at the first count"
menu "$first" f s
wait_window "$first" "$title" "$readingWidth" "reading window"
reading=$found
wait_focus "$reading" "reading window"
poll 5 beads_are "$reading" 0 || fail "the new reading does not start with three question marks"

step "the co-brand label of the reading window opens the co-brand page"
geometry "$reading"
readingMenuBar=$((gh - 8010 / 15))
click_at "$reading" 68 $((readingMenuBar + 488))
expect_opened "http://$helpHost/co-brand.html"

step "Help > About Software opens the About window; its forum link opens the forum"
menu "$first" h a
wait_window "$first" "$title" "$aboutWidth" "About window"
about=$found
wait_focus "$about" "About window"
shot 05-about
click_at "$about" 192 142
expect_opened "http://$forumHost"
find_window "$first" "$title" "$aboutWidth" || fail "the About window closed on its link"

step "Escape closes the About window"
give_focus "$about" "About window"
xdotool key Escape
wait_gone "$first" "$title" "$aboutWidth" "About window"
find_window "$first" "$title" "$readingWidth" || fail "the reading window went away with the About window"
give_focus "$reading" "reading window"
beads_are "$reading" 0 || fail "the reading changed behind the About window"

step "File > Exit shows the refer-a-friend window"
menu "$first" f x
wait_gone "$first" "$title" "$readingWidth" "reading window"
wait_window "$first" "$title" "$referralWidth" "refer-a-friend window"
referral=$found
wait_focus "$referral" "refer-a-friend window"
no_window "$first" "$title" "$mainWidth" || fail "the name-entry window is visible on the way out"
running "$first" || fail "the program ended instead of showing the refer-a-friend window"

step "the forum check box opens the forum (Tab, Space)"
xdotool key Tab space
expect_opened "http://$forumHost"

step "fill in the referral form and press Refer A Friend Now (Alt+N)"
# Names with spaces, an ampersand and non-ASCII letters; spaces around a name are trimmed.
yourName='  Zoë & Jo Tara  '
yourEmail='tara+jo@mail.example'
friendEmail='ana.bjork@mail.example'
friendName='Ana Björk & Co'
fill_referral 15 "$yourName" "$yourEmail" "$friendEmail" "$friendName"
shot 06-referral-form
xdotool key alt+n
referralAddress=$(referral_address "Zoë & Jo Tara" "$yourEmail" $'Your Message\r\n' "$friendName" "$friendEmail")
expected+=("$referralAddress")
poll 5 log_count "${#expected[@]}" || fail "the referral was not sent to the browser"
sent=$(sed -n "${#expected[@]}p" "$browserLog")
python3 - "$sent" "$forumHost" "$productHost" "Zoë & Jo Tara" "$yourEmail" $'Your Message\r\n' \
    "$friendName" "$friendEmail" <<'PY' || fail "the referral address is wrong (above)"
import sys
from urllib.parse import urlsplit, parse_qsl
sent, forum, product, *values = sys.argv[1:]
values.append(f"http://{product}/")
parts = urlsplit(sent)
problems = []
if (parts.scheme, parts.netloc, parts.path) != ("http", forum, "/zenk-refer-a-friend.php"):
    problems.append(f"endpoint {parts.scheme}://{parts.netloc}{parts.path}")
got = parse_qsl(parts.query, keep_blank_values=True, strict_parsing=True, encoding="utf-8", errors="strict")
want = [(f"taf{i}", v) for i, v in enumerate(values, 1)]
if got != want:
    problems.append(f"query {got!r}, expected {want!r}")
for problem in problems:
    print("referral:", problem, file=sys.stderr)
sys.exit(1 if problems else 0)
PY
[[ $sent == "$referralAddress" ]] || fail "the referral address is '$sent' instead of '$referralAddress'"
find_window "$first" "$title" "$referralWidth" || fail "the refer-a-friend window closed on sending"

step "E&xit of the refer-a-friend window (Alt+X) ends the program with code 0"
xdotool key alt+x
wait_exit "$first" "the program after Exit"
((code == 0)) || fail "the program ended with code $code"

step "every address the run opened, in order"
expect_all_opened

step "the first start created the settings file"
settings="$work/config/Veldrane/$(basename "$program").conf"
[[ -s $settings ]] || fail "no settings file at $settings"

step "a killed run does not keep the next start out"
launch killed
killed=$pid
wait_window "$killed" "$title" "$mainWidth" "name-entry window of the run to be killed"
kill -KILL "$killed"
wait_exit "$killed" "the killed run"
start_quietly restarted "after a killed run"
restarted=$pid
shot 07-restarted

step "File > Exit, then the Exit button of the refer-a-friend window: code 0"
menu "$restarted" f x
wait_window "$restarted" "$title" "$referralWidth" "refer-a-friend window"
referral=$found
wait_focus "$referral" "refer-a-friend window"
# cmdClose, at 6000, 2760 twips, 1245 by 375.
click_at "$referral" 440 196
wait_exit "$restarted" "the program after its Exit button"
((code == 0)) || fail "the program ended with code $code"
((${#expected[@]} == $(wc -l <"$browserLog"))) || fail "leaving the program opened a web page: $(tail -n1 "$browserLog")"

passed=true
elapsed=$((($(now_us) - ${started/./}) / 1000))
echo "End-to-end run passed: ${#expected[@]} addresses checked, in $((elapsed / 1000)).$(printf '%03d' $((elapsed % 1000))) s."
