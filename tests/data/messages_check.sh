#!/usr/bin/env bash
# Every text the data layer builds for people goes through DataText::tr(), the one place a second
# language comes in: a line of DIR with a string literal beyond ASCII calls it, or continues a
# literal begun on the line before. (ConflictCopyName.cpp matches the sync tools' own words.)
#   messages_check.sh DIR
cd "$1" || exit 2
found=$(LC_ALL=C grep -nP '^(?:(?!//).)*"[^"]*[^\x00-\x7F]' --exclude=ConflictCopyName.cpp -- *.cpp *.h \
  | grep -vP '^[^:]+:\d+:\s*"' | grep -v 'DataText::tr(')
[ -z "$found" ] || { printf 'Not through DataText::tr():\n%s\n' "$found"; exit 1; }
