#!/usr/bin/env python3
"""Reads a bookmark file with Python's own HTML parser and prints one JSON list per link:
[name, url, tags, description]. Run by the export test as a reader independent of ours."""
import json
import re
import sys
from html.parser import HTMLParser


class Links(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.links = []
        self.target = None  # the field that text goes to: 0 name, 3 description

    def handle_starttag(self, tag, attrs):
        self.target = None
        if tag == "a":
            attrs = dict(attrs)
            self.links.append(["", attrs.get("href", ""), attrs.get("tags", ""), ""])
            self.target = 0
        elif tag == "dd" and self.links:
            self.target = 3

    def handle_endtag(self, tag):
        self.target = None

    def handle_data(self, data):
        if self.target is not None:
            self.links[-1][self.target] += data


parser = Links()
with open(sys.argv[1], encoding="utf-8") as f:
    parser.feed(f.read())
parser.close()
for name, url, tags, description in parser.links:
    # The line break and indent after a description are the file's layout, not its text.
    print(json.dumps([name, url, tags, re.sub(r"\n *$", "", description)], ensure_ascii=False))
