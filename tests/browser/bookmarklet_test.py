#!/usr/bin/env python3
# The bookmarklet the help page offers, run in headless Chromium on a page served from 127.0.0.1
# with text selected on it, sends exactly the sitekanri: link expected; run again with a title and
# a selection holding lone surrogates (which encodeURIComponent refuses), it sends them as U+FFFD
# and keeps a whole pair. A browser cannot be
# made to tell where a javascript: URL navigates to, so the page runs the bookmarklet's code as
# the browser would (the javascript: URL percent-decoded) with `location` bound to a recorder of
# the address it is sent to; everything else (title, selection, address) is the real page's.
#   bookmarklet_test.py HELP_PAGE
import functools, html, http.server, json, re, shutil, subprocess, sys, tempfile, threading, urllib.parse

if not shutil.which("chromium"):
    print("SKIP: chromium is not installed (scripts/setup.sh installs it)")
    sys.exit(77)
help_page = open(sys.argv[1], encoding="utf-8").read()
code = html.unescape(re.search(r'href="(javascript:[^"]*)"', help_page).group(1))
title, selected = 'テスト & "引用" <ページ> 100%', "選んだ 文字 & more+plus"
lone_title, lone_selected = "a\ud800b\U0001F363", "\udc00x\ud800\udc00\ud83d"
lone_title_sent, lone_selected_sent = "a\ufffdb\U0001F363", "\ufffdx\U00010000\ufffd"
page = f"""<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>{html.escape(title)}</title></head>
<body><p id="selected">{html.escape(selected)}</p><pre id="sent">none</pre><pre id="lone">none</pre>
<script>
const bookmarklet = {json.dumps(code)};
function send(output) {{
  const range = document.createRange();
  range.selectNodeContents(document.getElementById("selected"));
  getSelection().removeAllRanges();
  getSelection().addRange(range);
  let sent = "no navigation";
  const recorder = {{ get href() {{ return window.location.href; }}, set href(to) {{ sent = to; }} }};
  try {{
    (function (location) {{ eval(decodeURIComponent(bookmarklet.slice("javascript:".length))); }})(recorder);
  }} catch (e) {{
    sent = "threw " + e;
  }}
  document.getElementById(output).textContent = sent;
}}
send("sent");
// Text no UTF-8 can hold: half pairs at either end and alone, beside a whole pair.
document.title = {json.dumps(lone_title)};
document.getElementById("selected").textContent = {json.dumps(lone_selected)};
send("lone");
// Chromium cannot write out a page that still holds them.
document.title = document.getElementById("selected").textContent = "done";
</script></body></html>"""

with tempfile.TemporaryDirectory() as work:
    open(f"{work}/page.html", "w", encoding="utf-8").write(page)
    handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=work)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    url = f"http://127.0.0.1:{server.server_port}/page.html?q=a%20b&x=%E6%97%A5"
    # Every host name but the page's resolves to nothing: the browser's own services stay off the network.
    chromium = subprocess.run(["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                               "--disable-background-networking", "--disable-component-update", "--disable-sync",
                               "--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1", f"--user-data-dir={work}/profile",
                               "--dump-dom", url], capture_output=True, text=True, timeout=60)
# What encodeURIComponent makes of each text, computed here on its own.
quote = functools.partial(urllib.parse.quote, safe="-_.!~*'()")
expectations = {
    "sent": f"sitekanri:add?url={quote(url)}&name={quote(title)}&content={quote(selected)}",
    "lone": f"sitekanri:add?url={quote(url)}&name={quote(lone_title_sent)}&content={quote(lone_selected_sent)}",
}
for output, expected in expectations.items():
    sent = re.search(rf'<pre id="{output}">(.*?)</pre>', chromium.stdout, re.S)
    if not sent or html.unescape(sent.group(1)) != expected:
        sys.exit(f"FAIL: the bookmarklet sent\n  {sent and html.unescape(sent.group(1))}\nexpected\n  {expected}\n{chromium.stderr[-3000:]}")
    print(f"PASS: {expected}")
