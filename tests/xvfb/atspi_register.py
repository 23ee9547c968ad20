"""Drives the running sitekanri the way a screen-reader user does: every control is found on the
accessibility bus by its role and the name a screen reader announces, and only keys are typed.
Registers a site, changes it, deletes another one after reading the question, and closes the
window (which saves the register). Exits 0 when all went as expected, 1 with the reason if not."""
from atspi_common import APP, fill, focus, keys, named, wait_for, answer_yes

fill(["読む友", "http://a11y.example.jp/", "a", "", "", "r1"])
focus("push button", "新しく登録")
table = named(APP, "table", lambda n: n.name.startswith("サイト一覧"))
keys("space")
wait_for("the new site in the list", lambda: table.queryTable().nRows == 2)

# The new site is the current row; 更新 takes what the fields now hold.
fill(["読む友", "http://a11y.example.jp/new", "a", "b", "", "r2"])
keys("ctrl+s")
answer_yes("読む友を変更しても宜しいですか？")

# The site that was there before: the first row of the list, deleted by Delete after a question.
focus("table", "サイト一覧")
keys("Home", "Delete")
answer_yes("消す予定を削除しても宜しいですか？")

focus("table", "サイト一覧")
keys("ctrl+q")
