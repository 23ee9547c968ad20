#!/usr/bin/env python3
# The bookmarklet the help page offers, run in headless Chromium on a page served from 127.0.0.1
# with text selected on it, sends exactly the sitekanri: link expected. A browser cannot be
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
page = f"""<!DOCTYPE html>
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
sent = re.search(r'<pre id="sent">(.*?)</pre>', chromium.stdout, re.S)
# What encodeURIComponent makes of each text, computed here on its own.
quote = functools.partial(urllib.parse.quote, safe="-_.!~*'()")
expected = f"sitekanri:add?url={quote(url)}&name={quote(title)}&content={quote(selected)}"
if not sent or html.unescape(sent.group(1)) != expected:
    sys.exit(f"FAIL: the bookmarklet sent\n  {sent and html.unescape(sent.group(1))}\nexpected\n  {expected}\n{chromium.stderr[-3000:]}")
print(f"PASS: {expected}")
