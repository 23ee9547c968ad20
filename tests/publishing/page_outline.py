#!/usr/bin/env python3
"""Reads a published page with html5lib, a parser of its own (the HTML standard's algorithm), and
prints its outline as JSON: lang, title, h1, the table of contents (href and text of each entry),
each section (id, heading, the hrefs of its links) and the date of the last change."""
import json
import sys

import html5lib


def text(element):
    """The text an element shows: comments (html5lib gives them a tag that is no string) say nothing."""
    if element is None:
        return None
    parts = [element.text or ""] if isinstance(element.tag, str) else []
    for child in element:
        parts.append(text(child))
        parts.append(child.tail or "")
    return "".join(parts)


def main(path):
    with open(path, "rb") as page:
        # Bytes: the parser finds the encoding itself, from the page's declaration.
        root = html5lib.parse(page, namespaceHTMLElements=False)
    nav = root.find(".//nav")
    outline = {
        "lang": root.get("lang"),
        "title": text(root.find("head/title")),
        "h1": text(root.find(".//h1")),
        "contents": [[a.get("href"), text(a)] for a in nav.iter("a")] if nav is not None else [],
        "sections": [
            {"id": s.get("id"), "heading": text(s.find("h2")), "links": [a.get("href") for a in s.iter("a")]}
            for s in root.iter("section")
        ],
        "updated": [t.get("datetime") for t in root.iter("time")],
    }
    print(json.dumps(outline, ensure_ascii=False))


if __name__ == "__main__":
    main(sys.argv[1])
