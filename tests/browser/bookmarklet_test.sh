#!/usr/bin/env bash
# The bookmarklet the help page offers, run in headless Chromium on a page served from 127.0.0.1
# with text selected on it, sends exactly the sitekanri: link expected. A browser cannot be
# made to tell where a javascript: URL navigates to, so the page runs the bookmarklet's code as
# the browser would (the javascript: URL percent-decoded) with `location` bound to a recorder of
# the address it is sent to; everything else (title, selection, address) is the real page's.
#   bookmarklet_test.sh HELP_PAGE
set -euo pipefail
help=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../support/shell_test.sh"
require_tools chromium python3
begin_work

code=$(python3 -c 'import html, re, sys
page = open(sys.argv[1], encoding="utf-8").read()
print(html.unescape(re.search(r"href=\"(javascript:[^\"]*)\"", page).group(1)))' "$help")
title='テスト & "引用" <ページ> 100%'
selected='選んだ 文字 & more+plus'
mkdir "$work/site"
python3 - "$work/site/page.html" "$code" "$title" "$selected" <<'PY'
import html, json, sys
path, code, title, selected = sys.argv[1:]
open(path, "w", encoding="utf-8").write(f"""<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>{html.escape(title)}</title></head>
<body><p id="selected">{html.escape(selected)}</p><pre id="sent">none</pre>
<script>
const bookmarklet = {json.dumps(code)};
const range = document.createRange();
range.selectNodeContents(document.getElementById("selected"));
getSelection().addRange(range);
let sent = "no navigation";
const recorder = {{ get href() {{ return window.location.href; }}, set href(to) {{ sent = to; }} }};
(function (location) {{ eval(decodeURIComponent(bookmarklet.slice("javascript:".length))); }})(recorder);
document.getElementById("sent").textContent = sent;
</script></body></html>""")
PY

python3 -u -m http.server 0 --bind 127.0.0.1 --directory "$work/site" >"$work/server.log" 2>&1 &
extra_pids=$!
for _ in $(seq 50); do grep -q 'port [0-9]*' "$work/server.log" && break; sleep 0.1; done
port=$(sed -n 's/.*port \([0-9]*\).*/\1/p' "$work/server.log" | head -n 1)
[ -n "$port" ] || fail "the page server did not start"
url="http://127.0.0.1:$port/page.html?q=a%20b&x=%E6%97%A5"

timeout 60 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking \
  --disable-component-update --disable-sync --user-data-dir="$work/profile" --dump-dom "$url" \
  >"$work/dom.html" 2>"$work/chromium.log" || fail "chromium failed"
sent=$(python3 -c 'import html, re, sys
print(html.unescape(re.search(r"<pre id=\"sent\">(.*?)</pre>", open(sys.argv[1], encoding="utf-8").read(), re.S).group(1)))' "$work/dom.html")
# What encodeURIComponent makes of each text, computed here on its own.
expected=$(python3 -c 'import sys, urllib.parse
q = lambda s: urllib.parse.quote(s, safe="-_.!~*'"'"'()")
url, title, selected = sys.argv[1:]
print("sitekanri:add?url=" + q(url) + "&name=" + q(title) + "&content=" + q(selected))' "$url" "$title" "$selected")
[ "$sent" = "$expected" ] || fail "the bookmarklet sent
  $sent
expected
  $expected"
echo "PASS: $sent"
