"""What the drivers of the window over the accessibility bus share: finding a control by its role
and the name a screen reader announces, typing keys, filling fields and answering questions."""
import os
import re
import subprocess
import sys
import time

import pyatspi


def poll(find, seconds):
    """What `find` finds (not None, not False) within `seconds`, or None."""
    deadline = time.time() + seconds
    while time.time() < deadline:
        found = find()
        if found is not None and found is not False:
            return found
        time.sleep(0.05)
    return None


def wait_for(what, find, seconds=10):
    found = poll(find, seconds)
    if found is None:
        print("FAIL: not found on the accessibility bus: " + (what() if callable(what) else what))
        sys.exit(1)
    return found


def named(root, role, test):
    return pyatspi.findDescendant(root, lambda node: node.getRoleName() == role and test(node))


def keys(*names):
    """Presses the keys; the caller waits for what they do."""
    subprocess.run(["xdotool", "key", "--delay", "60"] + list(names), check=True)


def focus(role, name, root=None):
    """The named control, given the keyboard focus: asked for on the bus, or else by Tab round the
    window (a list does not take the focus when asked)."""
    node = wait_for("%s %r" % (role, name), lambda: named(APP if root is None else root, role, lambda n: n.name.startswith(name)))
    node.queryComponent().grabFocus()
    for attempt in range(50):
        if poll(lambda: node.getState().contains(pyatspi.STATE_FOCUSED), 0.25 if attempt == 0 else 0.1):
            return node
        keys("Tab")
    return wait_for("the focus on %s %r" % (role, name), lambda: None)


def fill(site):
    """Types each field's text over what it holds, passing over a field that holds it already."""
    for name, text in zip(["サイト / リンク 名", "URL", "キーワード1", "キーワード2", "キーワード3", "内容"], site):
        field = named(APP, "text", lambda n: n.name.startswith(name))
        held = lambda: field.queryText().getText(0, -1)
        if field is not None and held() == text:
            continue
        field = focus("text", name)
        keys("ctrl+a", "BackSpace")
        wait_for("%r emptied" % name, lambda: field if held() == "" else None, seconds=5)
        # A run of ASCII at once; any other character alone, with a delay: xdotool lends a spare
        # key code to a character outside the keyboard map and takes it back after the delay.
        # When the window read the key after that, the character is lost: it is typed again.
        typed = ""
        for run in re.findall(r"[ -~]+|[^ -~]", text):
            for attempt in range(3):
                subprocess.run(["xdotool", "type", "--delay", "12" if run.isascii() else "250", run], check=True)
                if poll(lambda: held() == typed + run, seconds=2) or held() != typed:
                    break
            typed += run
            wait_for(lambda: "%r typed into %r (it holds %r)" % (typed, name, held()),
                     lambda: field if held() == typed else None, seconds=5)


def answer_yes(question, back_to=None):
    """The question box is read with its text; its はい (Qt writes "はい(Y)") is pressed by key.
    The keyboard then goes back to the window `back_to` (an X window id), or else the main one."""
    box = wait_for("a question box reading %r" % question,
                   lambda: named(APP, "alert", lambda n: n.description == question))
    focus("push button", "はい", box)
    keys("space")
    wait_for("the question box closed", lambda: None if box.name else True)
    # No window manager gives the keyboard back to the window when the box is gone.
    subprocess.run(["xdotool", "windowfocus", "--sync", back_to or os.environ["SITEKANRI_WINDOW"]], check=True)


APP = wait_for("the application sitekanri",
               lambda: next((a for a in pyatspi.Registry.getDesktop(0) if a and a.name == "sitekanri"), None))

