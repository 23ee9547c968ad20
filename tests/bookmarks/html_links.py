#!/usr/bin/env python3
"""Reads an HTML file with Python's own parser, a reader independent of ours, and prints one JSON
object: the names of the elements inside <body>, and each link as [text, address, TAGS, the text of
the <DD> after it], in order. Read by the export test and, over the DOM a browser dumped
(chromium --dump-dom), by the published page's test."""
import json
import re
import sys
from html.parser import HTMLParser


class Links(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.in_body = False
        self.elements = set()
        self.links = []
        self.target = None  # the field that text goes to: 0 a link's text, 3 its description

    def handle_starttag(self, tag, attrs):
        self.target = None
        if self.in_body:
            self.elements.add(tag)
        if tag == "body":
            self.in_body = True
        elif tag == "a":
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
# The line break and indent after a description are the file's layout, not its text.
links = [[text, href, tags, re.sub(r"\n *$", "", description)] for text, href, tags, description in parser.links]
print(json.dumps({"elements": sorted(parser.elements), "links": links}, ensure_ascii=False))
