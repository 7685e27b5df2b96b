#!/usr/bin/python3
"""Walks the running program's windows over the AT-SPI accessibility bus, as a screen reader
does, and checks what it would read out: roles and names of the controls, menu items without
access-key markers, link labels as links, the bead boxes named after their omen, a message box;
then plays a reading and leaves the program through its own Exit, all by accessible actions.

Run by tests/a11y/run.sh inside a private session bus with the accessibility bus up and the
program started. Exit status 0: every check passed; 1: a check failed; 2: the program never
showed up on the bus. With --join, only checks that the program joins the bus by itself when
accessibility is turned on, then leaves it.

Environment: TOLVY_PID (the program's process), TOLVY_FORUM_HOST, TOLVY_BROWSER_LOG (the file
the stand-in browser appends each address to), TOLVY_XDOTOOL (1 when xdotool may type).
"""

import os
import re
import subprocess
import sys
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

PROGRAM = "tolvy-sarnavel"
TITLE = "Tolvy Sarnavel v" + os.environ["TOLVY_VERSION"]
FORUM = os.environ["TOLVY_FORUM_HOST"]
BROWSER_LOG = os.environ.get("TOLVY_BROWSER_LOG", "")
MARKER = re.compile(r"&\w")
# Roles a user acts on or must be told about: each needs a name.
NAMED_ROLES = {
    Atspi.Role.PUSH_BUTTON,
    Atspi.Role.CHECK_BOX,
    Atspi.Role.TEXT,
    Atspi.Role.ENTRY,
    Atspi.Role.LINK,
    Atspi.Role.MENU_ITEM,
    Atspi.Role.MENU,
    Atspi.Role.IMAGE,
    Atspi.Role.FRAME,
    Atspi.Role.DIALOG,
}
TEXT_ROLES = {Atspi.Role.TEXT, Atspi.Role.ENTRY}

failures = []
passes = 0


def check(condition, what):
    global passes
    if condition:
        passes += 1
        print(f"  ok   {what}")
    else:
        failures.append(what)
        print(f"  FAIL {what}")
    return condition


def pump(seconds=0.0):
    """Lets events in, for at least the given time."""
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while True:
        while context.pending():
            context.iteration(False)
        if time.monotonic() >= end:
            return
        time.sleep(0.02)


def wait_for(find, timeout=15.0):
    end = time.monotonic() + timeout
    while True:
        try:
            found = find()
        except GLib.Error:
            found = None
        if found:
            return found
        if time.monotonic() >= end:
            return None
        pump(0.1)


def name(node):
    try:
        return node.get_name() or ""
    except GLib.Error:
        return ""


def role(node):
    try:
        return node.get_role()
    except GLib.Error:
        return Atspi.Role.INVALID


def showing(node):
    try:
        return node.get_state_set().contains(Atspi.StateType.SHOWING)
    except GLib.Error:
        return False


def children(node):
    try:
        count = node.get_child_count()
    except GLib.Error:
        return []
    result = []
    for i in range(count):
        try:
            child = node.get_child_at_index(i)
        except GLib.Error:
            continue
        if child is not None:
            result.append(child)
    return result


def walk(node, depth=0):
    """Every node under a window, closed menus included."""
    if depth > 40:
        return
    yield node
    for child in children(node):
        yield from walk(child, depth + 1)


def application():
    desktop = Atspi.get_desktop(0)
    for app in children(desktop):
        if name(app) == PROGRAM:
            return app
    return None


def windows(app, roles=(Atspi.Role.FRAME, Atspi.Role.DIALOG, Atspi.Role.ALERT)):
    return [w for w in children(app) if role(w) in roles and showing(w)]


def window_with(app, wanted_role, wanted_name, roles=(Atspi.Role.FRAME, Atspi.Role.DIALOG, Atspi.Role.ALERT)):
    """The showing window holding a control of that role and name."""
    for window in windows(app, roles):
        for node in walk(window):
            if role(node) == wanted_role and name(node) == wanted_name and showing(node):
                return window
    return None


def find(window, wanted_role, wanted_name, visible=True):
    for node in walk(window):
        if role(node) in wanted_role and name(node) == wanted_name and (showing(node) or not visible):
            return node
    return None


def as_set(wanted_role):
    return wanted_role if isinstance(wanted_role, (set, frozenset)) else {wanted_role}


def expect(window, wanted_role, wanted_name, visible=True):
    node = find(window, as_set(wanted_role), wanted_name, visible)
    label = Atspi.role_get_name(next(iter(as_set(wanted_role))))
    check(node is not None, f'{label} "{wanted_name}"')
    return node


def press(node, what):
    """Runs the node's press action, as a screen reader's user does."""
    try:
        count = node.get_n_actions()
        with warnings.catch_warnings():
            # The replacement the warning names is not in every version of the bindings.
            warnings.simplefilter("ignore", DeprecationWarning)
            names = [node.get_action_name(i) for i in range(count)]
    except GLib.Error as error:
        return check(False, f"{what}: no actions ({error.message})")
    for i, action in enumerate(names):
        if action.lower() in ("press", "click", "activate"):
            try:
                node.do_action(i)
            except GLib.Error as error:
                return check(False, f"{what}: {action} failed ({error.message})")
            return check(True, f"{what}: {action}")
    return check(False, f"{what}: no press action among {names}")


def general_checks(window, title, least=6, unnamed_images=False):
    """Every control of the window has a name, none with an access-key marker."""
    unnamed, marked, count = [], [], 0
    for node in walk(window):
        count += 1
        text = name(node)
        if MARKER.search(text):
            marked.append(f"{role(node).value_nick} {text!r}")
        exempt = unnamed_images and role(node) == Atspi.Role.IMAGE
        if role(node) in NAMED_ROLES and not text.strip() and showing(node) and not exempt:
            unnamed.append(role(node).value_nick)
    check(count >= least, f"{title}: {count} nodes in the tree")
    check(not unnamed, f"{title}: every control has a name" + (f" (unnamed: {unnamed})" if unnamed else ""))
    check(not marked, f"{title}: no access-key markers in names" + (f" ({marked})" if marked else ""))


def browser_opened(address):
    if not BROWSER_LOG:
        return False
    try:
        with open(BROWSER_LOG, encoding="utf-8") as log:
            return address in [line.strip() for line in log]
    except OSError:
        return False


def main():
    print("Waiting for the program on the accessibility bus...")
    app = wait_for(application, timeout=30)
    if app is None:
        desktop = Atspi.get_desktop(0)
        print(f"The program never appeared on the bus; applications there: {[name(a) for a in children(desktop)]}")
        return 2
    main_window = wait_for(lambda: window_with(app, Atspi.Role.PUSH_BUTTON, "Get My Sarnavel Reading"))
    if not check(main_window is not None, "the name-entry window is on the bus"):
        return 1

    print("Name-entry window")
    check(role(main_window) == Atspi.Role.FRAME and name(main_window) == TITLE, f'frame "{TITLE}"')
    general_checks(main_window, "name-entry window")
    field = expect(main_window, TEXT_ROLES, "Enter Your Name")
    reading_button = expect(main_window, Atspi.Role.PUSH_BUTTON, "Get My Sarnavel Reading")
    expect(main_window, Atspi.Role.IMAGE, "mala of prayer beads")
    expect(main_window, Atspi.Role.PANEL, "Enter Your Name")
    expect(
        main_window,
        Atspi.Role.LINK,
        f"The Most Popular Online Veldrane Discussion Forum. Click Here To Visit {FORUM} Now.",
    )
    expect(
        main_window,
        Atspi.Role.LINK,
        "Home Business Opportunity. Start your own Internet business and make money online. "
        "Get this software fully branded for your website. Click here for more details.",
    )
    expect(
        main_window,
        Atspi.Role.LINK,
        "Co-brand this software for your site.  Increase loyalty and traffic to your site. "
        'Put your site\'s name &  link here. See "Help" for details.    Click Here for more info on co-branding.',
    )
    menu_roles = {Atspi.Role.MENU_ITEM, Atspi.Role.MENU}
    for item in ("File", "Help", "Donate"):
        expect(main_window, menu_roles, item)
    for item in (
        "Get My Sarnavel Reading",
        "Exit",
        "Online Help",
        "Visit Us Online",
        "Check for Software Update",
        "About Software",
    ):
        expect(main_window, menu_roles, item, visible=False)

    print("Message box")
    if reading_button is not None:
        press(reading_button, "Get My Sarnavel Reading with no name")
        box = wait_for(lambda: window_with(app, Atspi.Role.LABEL, "Please Enter Your Name !"))
        if check(box is not None, "a message box says: Please Enter Your Name !"):
            check(
                role(box) in (Atspi.Role.DIALOG, Atspi.Role.ALERT) and name(box) == "Tolvy Sarnavel",
                f"the box is a {role(box).value_nick} named {name(box)!r}",
            )
            # Its icon says no more than the alert's role and text already do.
            general_checks(box, "message box", least=4, unnamed_images=True)
            ok = expect(box, Atspi.Role.PUSH_BUTTON, "OK")
            if ok is not None:
                press(ok, "OK")
                check(wait_for(lambda: not showing(box), 10), "the message box closes")

    if os.environ.get("TOLVY_XDOTOOL") == "1":
        print("About window (opened with the keyboard: Alt+H, A)")
        # Without a window manager nothing gives the window the keyboard back after the box.
        found = subprocess.run(
            ["xdotool", "search", "--onlyvisible", "--name", f"^{TITLE}$"], capture_output=True, text=True
        )
        for window_id in found.stdout.split()[:1]:
            subprocess.run(["xdotool", "windowfocus", "--sync", window_id], check=False)
        check(
            find(main_window, {Atspi.Role.MENU_ITEM}, "About Software") is None,
            "a closed menu's items are not showing",
        )
        subprocess.run(["xdotool", "key", "--clearmodifiers", "alt+h"], check=False)
        # Only once the menu shows its items does the A go to it rather than to the name field.
        opened = wait_for(lambda: find(main_window, {Atspi.Role.MENU_ITEM}, "About Software"), 10)
        check(opened is not None, "Alt+H opens the Help menu")
        subprocess.run(["xdotool", "key", "a"], check=False)
        about = wait_for(lambda: window_with(app, Atspi.Role.PUSH_BUTTON, "OK", (Atspi.Role.DIALOG, Atspi.Role.FRAME)))
        if check(about is not None, "the About window is on the bus"):
            check(name(about) == TITLE, f'it is named "{TITLE}"')
            general_checks(about, "About window")
            expect(about, Atspi.Role.IMAGE, "Tolvy Sarnavel icon")
            expect(about, Atspi.Role.LINK, f"Click here to visit http://{FORUM}")
            expect(about, Atspi.Role.LINK, "Click here for more details")
            ok = expect(about, Atspi.Role.PUSH_BUTTON, "OK")
            if ok is not None:
                press(ok, "OK")
                check(wait_for(lambda: not showing(about), 10), "the About window closes")

    print("A reading")
    if field is not None:
        try:
            field.set_text_contents("ADA")
            typed = Atspi.Text.get_text(field, 0, -1)
        except GLib.Error as error:
            typed = f"error {error.message}"
        check(typed == "ADA", f"the name field takes a name through the bus (holds {typed!r})")
    if reading_button is not None:
        press(reading_button, "Get My Sarnavel Reading")
    display = wait_for(lambda: window_with(app, Atspi.Role.PUSH_BUTTON, "Count Beads for the First Time"))
    if not check(display is not None, "the reading window is on the bus"):
        return 1
    check(wait_for(lambda: not showing(main_window), 10), "the name-entry window is hidden")
    general_checks(display, "reading window")
    expect(display, Atspi.Role.PUSH_BUTTON, "Back")
    exit_button = expect(display, Atspi.Role.PUSH_BUTTON, "Exit")
    expect(display, Atspi.Role.LABEL, "Think of your question and Click on the Button")
    beads = [n for n in walk(display) if role(n) == Atspi.Role.IMAGE and showing(n)]
    check(
        [name(b) for b in beads] == ["not counted yet"] * 3,
        f"three bead boxes, not counted yet ({[name(b) for b in beads]})",
    )
    check(
        [b.get_description() for b in beads] == ["first count", "second count", "third count"],
        "the bead boxes say which count they show",
    )

    renamed = []

    def on_name_change(event):
        renamed.append(name(event.source))

    listener = Atspi.EventListener.new(on_name_change)
    listener.register("object:property-change:accessible-name")
    omens = {"Falcon", "Raven", "Snow Lion"}
    for count, caption in enumerate(
        ["Count Beads for the First Time", "Count Beads for the Second Time", "Count Beads for the Third Time"]
    ):
        button = wait_for(lambda: find(display, {Atspi.Role.PUSH_BUTTON}, caption), 10)
        if not check(button is not None, f'the count button reads "{caption}"'):
            break
        press(button, caption)
        drawn = wait_for(lambda: name(beads[count]) in omens and name(beads[count]), 10)
        check(bool(drawn), f"bead box {count + 1} names its omen: {drawn or name(beads[count])!r}")
    pump(0.5)
    check(
        any(n in omens for n in renamed),
        f"a screen reader hears the bead boxes change names ({renamed})",
    )
    listener.deregister("object:property-change:accessible-name")
    expect(display, Atspi.Role.PUSH_BUTTON, "Click To Refresh")

    print("Refer-a-friend window")
    if exit_button is not None:
        press(exit_button, "Exit of the reading window")
    referral = wait_for(lambda: window_with(app, Atspi.Role.PUSH_BUTTON, "Refer A Friend Now"))
    if not check(referral is not None, "the refer-a-friend window is on the bus"):
        return 1
    general_checks(referral, "refer-a-friend window")
    for field_name in ("Your Name", "Your Email Address", "Friend's Name", "Friend's Email Address"):
        expect(referral, TEXT_ROLES, field_name)
    expect(referral, TEXT_ROLES, "Your Message", visible=False)
    expect(referral, Atspi.Role.CHECK_BOX, f"Click Here To Visit {FORUM} Now")
    expect(referral, Atspi.Role.IMAGE, "Tolvy Sarnavel icon")
    catalogue = expect(referral, Atspi.Role.LINK, "Click Here To Visit Veldrane Softwares")
    if catalogue is not None and BROWSER_LOG:
        press(catalogue, "the catalogue link")
        address = f"http://{FORUM}/veldranesoftwares"
        check(wait_for(lambda: browser_opened(address), 15), f"the link opened {address} in the browser")
    leave = expect(referral, Atspi.Role.PUSH_BUTTON, "Exit")
    if leave is not None:
        press(leave, "Exit of the refer-a-friend window")
    return 0


def join():
    """The program joins the bus when the desktop turns accessibility on, as a screen reader
    does, with no setting of the program's own; it is then left through its menu."""
    app = wait_for(application, timeout=30)
    if not check(app is not None, "the program joins the bus once accessibility is turned on"):
        return 2
    main_window = wait_for(lambda: window_with(app, Atspi.Role.PUSH_BUTTON, "Get My Sarnavel Reading"))
    if not check(main_window is not None, "its name-entry window is on the bus"):
        return 1
    exit_item = expect(main_window, {Atspi.Role.MENU_ITEM}, "Exit", visible=False)
    if exit_item is not None:
        press(exit_item, "File > Exit")
    referral = wait_for(lambda: window_with(app, Atspi.Role.PUSH_BUTTON, "Refer A Friend Now"))
    if check(referral is not None, "File > Exit leads to the refer-a-friend window"):
        leave = expect(referral, Atspi.Role.PUSH_BUTTON, "Exit")
        if leave is not None:
            press(leave, "Exit of the refer-a-friend window")
    return 0


if __name__ == "__main__":
    Atspi.init()
    status = join() if sys.argv[1:] == ["--join"] else main()
    print(f"{passes} passed, {len(failures)} failed")
    for failure in failures:
        print(f"  failed: {failure}")
    sys.exit(status if status else (1 if failures else 0))
