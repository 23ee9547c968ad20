#!/usr/bin/env python3
"""Hand-made mutants of the program, each a plausible fault, against the test programs.

    scripts/mutation_sample.py BUILD_DIR [ID ...]

BUILD_DIR is a build tree configured with the dev preset (its source tree is the one mutated).
For each mutant: puts the fault into the source, builds, runs every gtest program of the build
(the trials at their everyday length, the Wine interop tests left out),
notes the tests that fail, and puts the source back. Prints one line per mutant and writes them,
with the failing tests, to BUILD_DIR/mutants.json. On a busy machine MUTATION_LAYERS=1 builds and
runs only the test programs of the mutated layer and of the layers above it that drive it without
a window (LAYER_TESTS); MUTATION_TARGETS="data_tests cli_tests …" names them outright.
"""
import json
import os
import pathlib
import re
import signal
import subprocess
import sys

# id, file, text, replacement, what the fault is
MUTANTS = [
    ("conflict-field", "data/RegisterOperation.cpp", "if (seen && !SameTexts(current, *seen))",
     "if (seen && !SameTexts(current, [&] { SiteRecord s = *seen; s.m_content = current.m_content; return s; }()))",
     "the update's conflict check ignores the content"),
    ("equality-content", "data/SiteRecord.cpp", "return a.m_valid == b.m_valid && SameTexts(a, b);",
     "return a.m_valid == b.m_valid && SameTexts(a, [&] { SiteRecord s = b; s.m_content = a.m_content; return s; }());",
     "two records that differ in content alone taken for equal"),
    ("undo-unchanged", "editing/UndoHistory.cpp", "if (result.done() && !(seen == record))", "if (result.done())",
     "an update that changes nothing is remembered as an undo step"),
    ("scheme-case", "data/UrlCompletion.cpp", "return scheme.match(text).captured(1).toLower();",
     "return scheme.match(text).captured(1);", "a scheme check made case-sensitive (JavaScript: let through)"),
    ("sort-key-three", "finding/SiteSort.cpp", "i < shared + 4; ++i", "i < shared + 3; ++i",
     "the sort key's head holds three characters instead of four"),
    ("probe-empty-target", "linkcheck/LinkProbe.cpp", 'target = "/";', 'target = "";',
     "a probe of an address without a path sends an empty request target"),
    ("zero-padded-number", "data/RegisterFiles.cpp", "|| name[prefix] == u'0')", ")", "data02.ini taken for record 2"),
    ("ini-eof-blank", "data/IniDocument.cpp", "|| u == 0x20 || u == 0x1A;", "|| u == 0x20;",
     "0x1A no longer trimmed like a blank"),
    ("ini-key-case", "data/IniDocument.cpp", "            if (y >= 'a' && y <= 'z')\n                y = char(y - 'a' + 'A');\n", "",
     "key names compared with case on one side"),
    ("count-sign", "data/RegisterFiles.cpp", "negative = text[i++] == '-';", "negative = text[i++] == '+';",
     "the count's sign read the wrong way round"),
    ("highest-below", "data/RegisterOperation.cpp", "for (int number = below - 1; number > floor; --number)",
     "for (int number = below - 2; number > floor; --number)", "lowering the count skips the next lower file"),
    ("replace-mode", "data/RegisterFolderSwap.cpp", "        written = written && ::fchmod(file, like->st_mode & 07777) == 0;\n", "",
     "a replaced file loses its mode"),
    ("web-scheme-ftp", "data/UrlCompletion.cpp", ' || scheme == QLatin1String("ftp");', ";",
     "an ftp address no longer taken for a site"),
    ("delete-selects-previous", "editing/RegistrationOperations.cpp", "place < rows ? place : rows - 1",
     "place > 0 && place <= rows ? place - 1 : 0", "after a delete the row before becomes current"),
    ("keyword3-missing", "editing/KeywordList.cpp", "        take(site.m_keyword3);\n", "",
     "keyword 3 left out of the keyword list"),
    ("link-quote", "editing/LinkCode.cpp", 'kEscapedQuote[] = "%22";', 'kEscapedQuote[] = "\\"";',
     "a quote in a URL left unescaped in the link code"),
    ("search-word-at-end", "finding/SearchQuery.cpp", "at >= 0 && at <= last;", "at >= 0 && at < last;",
     "a word at the very end of a text is not found"),
    ("fold-ascii-case", "finding/TextFolding.cpp", "return c >= u'A' && c <= u'Z' ? char16_t(c + 0x20) : c;", "return c;",
     "ASCII letters no longer folded to lower case"),
    ("http-default-port", "finding/SiteIdentity.cpp", "return 80;", "return 8080;",
     "the wrong default port for http"),
    ("html-hex-upper", "data/HtmlText.cpp", "    if (base == 16 && u >= u'A' && u <= u'F')\n        return u - u'A' + 10;\n", "",
     "upper-case hex digits in a character reference refused"),
    ("redirect-308", "linkcheck/LinkTrail.cpp", "|| code == 307 || code == 308;", "|| code == 307;",
     "308 not followed as a move"),
    ("redirect-limit", "linkcheck/LinkTrail.cpp", "if (++m_redirects > kMaxRedirects)", "if (++m_redirects >= kMaxRedirects)",
     "one move fewer allowed than the limit"),
    ("status-below-100", "linkcheck/AnswerHead.cpp", "return code >= 100 ? code : -1;", "return code >= 0 ? code : -1;",
     "a status code below 100 accepted"),
    ("tsv-tab", "cli/CliOutput.cpp", "QByteArray tsvEscape(char16_t c)\n{\n    switch (c) {\n    case u'\\\\': return QByteArrayLiteral(\"\\\\\\\\\");\n    case u'\\t': return QByteArrayLiteral(\"\\\\t\");\n",
     "QByteArray tsvEscape(char16_t c)\n{\n    switch (c) {\n    case u'\\\\': return QByteArrayLiteral(\"\\\\\\\\\");\n",
     "a tab inside a field left unescaped in TSV output"),
    ("cli-option-check", "cli/CliCommands.cpp", "&& !command->options.contains(option))", "&& false)",
     "an option that does not apply to the command accepted"),
    ("filter-blanks-first", "app/SiteFilterModel.cpp", "        return y.isEmpty();", "        return x.isEmpty();",
     "a row placed into a sorted view puts blanks first"),
    ("load-count-lower", "data/RegisterFiles.cpp", "found.count = std::max(count.readable ? count.value : 0, highest);",
     "found.count = std::min(count.readable ? count.value : 0, highest);",
     "the count in force taken as the lower of the count and the highest record: none for a damaged register"),
    ("watch-waits-for-lock", "data/SiteRegister.cpp", "m_reader(m_folder, 0)", "m_reader(m_folder, RegisterLock::kDefaultWaitMs)",
     "the watched register waits for another program's lock on the window's thread"),
    ("update-key", "app/KeyboardCommands.cpp", "{ControlId::Update, QKeySequence(Qt::CTRL | Qt::Key_S)}",
     "{ControlId::Update, QKeySequence(Qt::CTRL | Qt::Key_U)}", "更新 on the wrong key"),
]


def source_dir(build):
    cache = (build / "CMakeCache.txt").read_text()
    return pathlib.Path(re.search(r"^CMAKE_HOME_DIRECTORY:INTERNAL=(.*)$", cache, re.M).group(1))


TARGETS = os.environ.get("MUTATION_TARGETS", "").split()
LAYER_TESTS = {
    "data": ["data_tests", "faults_tests", "editing_tests", "finding_tests", "bookmarks_tests", "cli_tests", "sitekanri-cli"],
    "editing": ["editing_tests", "cli_tests", "sitekanri-cli"],
    "finding": ["finding_tests"],
    "bookmarks": ["bookmarks_tests", "cli_tests", "sitekanri-cli"],
    "linkcheck": ["linkcheck_tests"],
    "cli": ["cli_tests", "sitekanri-cli"],
    "app": ["app_tests"],
}


def test_programs(build):
    skip = {"interop_tests"}
    found = []
    for path in sorted((build / "tests").rglob("*")):
        if path.is_file() and os.access(path, os.X_OK) and path.suffix == "" and path.name not in skip \
                and (path.name.endswith("_tests") or path.name.endswith("_trial")) \
                and (not TARGETS or path.name in TARGETS):
            found.append(path)
    return found


def build_command(build):
    return ["nice", "cmake", "--build", str(build)] + (["--target"] + TARGETS if TARGETS else [])


def failing_tests(build):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    failed = []
    for program in test_programs(build):
        try:
            run = subprocess.run([str(program), "--gtest_brief=1"], cwd=program.parent, env=env,
                                 capture_output=True, text=True, errors="replace", timeout=600)
        except subprocess.TimeoutExpired:
            failed.append(program.name + " (timed out)")
            continue
        names = re.findall(r"^\[  FAILED  \] (\S+)", run.stdout, re.M)
        failed += sorted(set(names))
        if run.returncode != 0 and not names:
            failed.append("%s (ended with %d)" % (program.name, run.returncode))
    return failed


def main():
    # Ended from outside, the source is still put back (the finally below).
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    build = pathlib.Path(sys.argv[1]).resolve()
    chosen = sys.argv[2:]
    source = source_dir(build)
    results = {}
    global TARGETS
    for ident, file, text, replacement, what in MUTANTS:
        if chosen and ident not in chosen:
            continue
        if os.environ.get("MUTATION_LAYERS"):
            TARGETS = LAYER_TESTS[file.split("/")[0]]
        path = source / file
        original = path.read_text()
        if original.count(text) != 1:
            print("%-24s NOT APPLIED (the text is not there once)" % ident, flush=True)
            results[ident] = {"what": what, "applied": False}
            continue
        try:
            path.write_text(original.replace(text, replacement))
            built = subprocess.run(build_command(build), capture_output=True, text=True)
            failed = failing_tests(build) if built.returncode == 0 else ["(does not build)"]
        finally:
            path.write_text(original)
        results[ident] = {"what": what, "applied": True, "programs": TARGETS or "all", "failed": failed}
        print("%-24s %s %s" % (ident, "caught  " if failed else "SURVIVED", " ".join(failed[:6])), flush=True)
    (build / "mutants.json").write_text(json.dumps(results, indent=1, ensure_ascii=False))
    subprocess.run(build_command(build), capture_output=True)


if __name__ == "__main__":
    main()
