"""Drives the running sitekanri the way a screen-reader user does: every control is found on the
accessibility bus by its role and the name a screen reader announces, and only keys are typed.
Registers a site, changes it, deletes another one after the question box is read, and closes the
window (which saves the register). Exits 0 when all went as expected, 1 with the reason if not."""
import subprocess
import sys
import time

import os

import pyatspi


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def wait_for(what, find, seconds=10):
    deadline = time.time() + seconds
    while time.time() < deadline:
        found = find()
        if found is not None:
            return found
        time.sleep(0.1)
    fail("not found on the accessibility bus: " + (what() if callable(what) else what))


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == "sitekanri":
            return app
    return None


def descendant(root, role, name):
    return pyatspi.findDescendant(root, lambda node: node.getRoleName() == role and node.name == name)


def dump(node, depth=0):
    """The subtree as a screen reader lists it, for the failure message."""
    lines = ["%s%s %r %r" % ("  " * depth, node.getRoleName(), node.name, node.description)]
    for child in node:
        if child is not None:
            lines.append(dump(child, depth + 1))
    return "\n".join(lines)


def control(role, name):
    return wait_for("%s %r" % (role, name), lambda: descendant(APP, role, name))


def focus(role, name):
    """Gives the named control the keyboard focus: asked for on the bus, or else by Tab, as far
    round the window as it takes (the list does not take the focus when asked)."""
    node = control(role, name)
    focused = lambda: node.getState().contains(pyatspi.STATE_FOCUSED)
    node.queryComponent().grabFocus()
    for _ in range(30):
        time.sleep(0.1)
        if focused():
            return node
    for _ in range(20):
        keys("Tab")
        if focused():
            return node
    fail("neither asked for nor Tab gives the focus to %s %r" % (role, name))


def keys(*names):
    subprocess.run(["xdotool", "key", "--delay", "60"] + list(names), check=True)
    time.sleep(0.3)


def type_into(name, text):
    field = focus("text", name)
    keys("ctrl+a", "BackSpace")
    held = lambda: field.queryText().getText(0, -1)
    # One character at a time, each awaited: xdotool lends a spare key code to a character
    # outside the keyboard map and takes it back after the delay, which must outlast the
    # window's reading of the key.
    for end in range(1, len(text) + 1):
        subprocess.run(["xdotool", "type", "--delay", "250", text[end - 1]], check=True)
        wait_for(lambda: "%r typed into %r (it holds %r)" % (text[:end], name, held()),
                 lambda: field if held() == text[:end] else None, seconds=5)


def fill(site):
    for name, text in zip(FIELDS, site):
        type_into(name, text)


def answer_yes(question):
    """The question box must be read with its text; はい is found by name and pressed by key."""
    def box():
        for role in ("alert", "dialog"):
            node = pyatspi.findDescendant(APP, lambda n, r=role: n.getRoleName() == r and question in (
                n.description + "".join(c.name for c in n if c is not None)))
            if node is not None:
                return node
        return None
    found = wait_for("a question box reading %r" % question, box)
    # Qt's Japanese buttons carry their mnemonic: "はい(Y)".
    yes = wait_for(lambda: "はい in " + dump(found), lambda: pyatspi.findDescendant(
        found, lambda n: n.getRoleName() == "push button" and n.name.startswith("はい")))
    yes.queryComponent().grabFocus()
    wait_for("focus on はい", lambda: yes if yes.getState().contains(pyatspi.STATE_FOCUSED) else None)
    keys("space")
    wait_for("the question box closed", lambda: None if found.name else True)
    # No window manager gives the keyboard back to the window when the box is gone.
    subprocess.run(["xdotool", "windowfocus", "--sync", WINDOW], check=True)


FIELDS = ["サイト / リンク 名", "URL", "キーワード1", "キーワード2", "キーワード3", "内容"]
WINDOW = os.environ["SITEKANRI_WINDOW"]
APP = wait_for("the application sitekanri", application)

# Every field announces its own name, and the command buttons theirs.
for name in FIELDS:
    control("text", name)
for name in ("新しく登録", "更新", "削除", "サイトジャンプ"):
    control("push button", name)
control("table", "サイト一覧")

added = ["読み上げの友", "http://a11y.example.jp/", "音声", "", "", "登録した"]
fill(added)
focus("push button", "新しく登録")
keys("space")

# The new site is the current row; 更新 takes what the fields now hold.
changed = ["読み上げの友", "http://a11y.example.jp/new", "音声", "点字", "", "変更した"]
fill(changed)
keys("ctrl+s")
answer_yes("読み上げの友を変更しても宜しいですか？")

# The site that was there before: first row of the list, deleted with Delete and a question.
focus("table", "サイト一覧")
keys("ctrl+Home")
keys("Delete")
answer_yes("消す予定を削除しても宜しいですか？")

focus("table", "サイト一覧")
keys("Escape")
print("driven: registered, changed and deleted through named controls")
