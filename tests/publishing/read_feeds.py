"""Reads a published Atom feed with feedparser and an OPML blogroll with xml.etree, and prints what
they hold as JSON: parsers of their own, not the program's reading of what it wrote."""
import calendar
import json
import sys
import xml.etree.ElementTree as ElementTree

import feedparser


def seconds(parsed):
    return calendar.timegm(parsed) if parsed else None


def feed(path):
    parsed = feedparser.parse(path)
    return {
        "bozo": bool(parsed.bozo),
        "bozo_exception": str(parsed.get("bozo_exception", "")),
        "version": parsed.version,
        "title": parsed.feed.get("title"),
        "id": parsed.feed.get("id"),
        "updated": seconds(parsed.feed.get("updated_parsed")),
        "entries": [
            {
                "title": e.get("title"),
                "title_type": e.get("title_detail", {}).get("type"),
                "link": e.get("link"),
                "id": e.get("id"),
                "published": seconds(e.get("published_parsed")),
                "updated": seconds(e.get("updated_parsed")),
                "content": e.content[0].value if "content" in e else None,
            }
            for e in parsed.entries
        ],
    }


def opml(path):
    root = ElementTree.parse(path).getroot()
    return {
        "version": root.get("version"),
        "title": root.findtext("head/title"),
        "groups": [
            {"text": group.get("text"),
             "sites": [[o.get("text"), o.get("type"), o.get("url"), o.get("created")] for o in group.findall("outline")]}
            for group in root.findall("body/outline")
        ],
    }


print(json.dumps({"feed": feed(sys.argv[1]), "opml": opml(sys.argv[2])}, ensure_ascii=False))
