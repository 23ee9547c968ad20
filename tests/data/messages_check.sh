#!/usr/bin/env bash
# Every text a layer builds for people goes through its one door, DataText::tr() in the data layer
# (DOOR names another layer's), the one place a second language comes in: a line of DIR with a
# string literal beyond ASCII calls it, marks a text for it (QT_TRANSLATE_NOOP("DOOR", …)), or
# continues a literal begun on the line before. Text the program writes out as data (a page's
# code, a feed) is no message: its line says so with a comment beginning "// output".
# (ConflictCopyName.cpp matches the sync tools' own words.)
#   messages_check.sh DIR [DOOR]
door=${2:-DataText}
cd "$1" || exit 2
# The layer's rooms too; a folder without a source file is a path gone wrong, never a pass.
[ -n "$(find . -name '*.cpp' -print -quit)" ] || { echo "No source file under $1"; exit 2; }
found=$(LC_ALL=C grep -rnP '^(?:(?!//).)*"[^"]*[^\x00-\x7F]' --include='*.cpp' --include='*.h' --exclude=ConflictCopyName.cpp . \
  | grep -vP '^[^:]+:\d+:\s*"' | grep -v "$door::tr(" | grep -vF "QT_TRANSLATE_NOOP(\"$door\"" | grep -vF '// output')
[ -z "$found" ] || { printf 'Not through %s::tr():\n%s\n' "$door" "$found"; exit 1; }
