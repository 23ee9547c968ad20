#!/usr/bin/env python3
"""Reads the DOM a browser dumped (chromium --dump-dom) and prints one JSON object: the names
of every element inside <body>, and the text and address of each link, in order."""
import json
import sys
from html.parser import HTMLParser


class Page(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.in_body = False
        self.elements = []
        self.links = []
        self.in_link = False

    def handle_starttag(self, tag, attrs):
        if tag == "body":
            self.in_body = True
        elif self.in_body:
            self.elements.append(tag)
            if tag == "a":
                self.links.append({"text": "", "href": dict(attrs).get("href", "")})
                self.in_link = True

    def handle_endtag(self, tag):
        if tag == "a":
            self.in_link = False
        elif tag == "body":
            self.in_body = False

    def handle_data(self, data):
        if self.in_link:
            self.links[-1]["text"] += data


page = Page()
page.feed(sys.stdin.read())
page.close()
print(json.dumps({"elements": sorted(set(page.elements)), "links": page.links}, ensure_ascii=False))
