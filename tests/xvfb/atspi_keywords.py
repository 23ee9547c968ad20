"""The keyword view driven by keys alone, every control found on the accessibility bus by the name
a screen reader announces: opened by Ctrl+K, narrowed by its filter box, english renamed onto
English (a site carrying both keeps it once) after the question that it merges, English shown in
the list as a keyword filter (the view closing) and cleared by its one button; a keyword set on every site by
Ctrl+Shift+K and taken back by Ctrl+Z. Exits 0 when all went as expected, 1 with the reason if not."""
import os
import subprocess

from atspi_common import APP, answer_yes, focus, keys, named, wait_for


def rows(table):
    """The table's rows as "cell|cell|…" texts."""
    grid = table.queryTable()
    return ["|".join(grid.getAccessibleAt(r, c).name for c in range(grid.nColumns)) for r in range(grid.nRows)]


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "60", text], check=True)


sites = named(APP, "table", lambda n: n.name.startswith("サイト一覧"))
focus("table", "サイト一覧")
keys("ctrl+k")
view = wait_for("the keyword view", lambda: named(APP, "dialog", lambda n: n.name == "キーワード一覧"))
window = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "キーワード一覧"],
                        check=True, capture_output=True, text=True).stdout.split()[0]
keywords = named(view, "table", lambda n: n.name == "キーワード")
# Spellings alike stand together, in the order they first appear, each naming the other.
wait_for("every keyword with its count", lambda: rows(keywords) == ["english|2|English", "English|1|english", "News|1|"] or None)

focus("text", "キーワードを絞り込む", view)
type_text("ENG")
wait_for("the keywords holding eng", lambda: rows(keywords) == ["english|2|English", "English|1|english"] or None)
keys("Down")  # into the list of keywords, on the first: english
focus("push button", "名前を変更", view)
keys("space")
focus("text", "キーワード「english」（2 件のサイト）の新しい名前")
keys("ctrl+a")
type_text("English")
keys("Return")
answer_yes("キーワード「English」は 1 件のサイトにあります。「english」をこれにまとめますか？", window)
wait_for("english merged into English", lambda: rows(keywords) == ["English|2|"] or None)

# Enter on the chosen keyword narrows the list to its sites, shown beside the search box, and the
# view makes way for the list.
focus("table", "キーワード", view)
keys("Return")
wait_for("the list narrowed to English", lambda: sites.queryTable().nRows == 2 or None)
wait_for("the keyword view closed", lambda: None if view.name else True)
subprocess.run(["xdotool", "windowfocus", "--sync", os.environ["SITEKANRI_WINDOW"]], check=True)
focus("push button", "キーワード「English」の絞り込みを解除")
keys("space")
wait_for("every site listed again", lambda: sites.queryTable().nRows == 3 or None)

focus("table", "サイト一覧")
keys("ctrl+a", "ctrl+shift+k")
focus("text", "選んだ 3 件のサイトに設定するキーワード")
type_text("tag")
keys("Return")
status = wait_for("the status line", lambda: named(APP, "label", lambda n: n.name == "状態"))
wait_for("the set told", lambda: "3 件のサイトに設定しました" in status.description or None)
subprocess.run(["xdotool", "windowfocus", "--sync", os.environ["SITEKANRI_WINDOW"]], check=True)
focus("table", "サイト一覧")
keys("ctrl+z")
wait_for("the set taken back", lambda: "tag" not in "".join(rows(sites)) or None)
keys("ctrl+q")
