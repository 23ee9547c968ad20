#!/usr/bin/env python3
"""Hand-made mutants of the program, each a plausible fault, against the test programs.

    scripts/mutation_sample.py BUILD_DIR [ID ...]

BUILD_DIR is a build tree configured with the dev preset (its source tree is the one mutated).
For each mutant: puts the fault into the source, builds, runs the gtest programs of the build (the
trials at their everyday length; the Wine interop tests and the real-Syncthing tests left out),
the mutated layer's own first, and stops at the first program with a failing test (MUTATION_ALL=1
runs them all); then puts the source back. Prints one line per mutant and a summary, and writes
them, with the failing tests, to BUILD_DIR/mutants.json. MUTATION_LAYERS=1 runs only the programs
of the layers that cover the mutated one (LAYER_TESTS: every layer above it, the window's tests and
the fault trial included); MUTATION_TARGETS="data_tests cli_tests …" names them outright.

Mutants come from three places: this sample's own, a review's (faults it found no test catching,
each now caught by a test at the lowest layer that can), and the rules of new numbers and the
count. A mutant that changes nothing a user or another program can see is listed in EQUIVALENT
with the reason, and reported as such rather than as a survivor.
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
    ("conflict-field", "data/operations/RegisterOperation.cpp", "if (seen && !SameTexts(current, *seen))",
     "if (seen && !SameTexts(current, [&] { SiteRecord s = *seen; s.SetContent(current.GetContent()); return s; }()))",
     "the update's conflict check ignores the content"),
    ("equality-content", "data/record/SiteRecord.cpp", "return a.GetValid() == b.GetValid() && SameTexts(a, b);",
     "return a.GetValid() == b.GetValid() && SameTexts(a, [&] { SiteRecord s = b; s.SetContent(a.GetContent()); return s; }());",
     "two records that differ in content alone taken for equal"),
    ("undo-unchanged", "editing/UndoHistory.cpp", "if (result.done() && !(seen == record))", "if (result.done())",
     "an update that changes nothing is remembered as an undo step"),
    ("scheme-case", "data/text/UrlCompletion.cpp", "return scheme.match(text).captured(1).toLower();",
     "return scheme.match(text).captured(1);", "a scheme check made case-sensitive (JavaScript: let through)"),
    ("sort-key-three", "finding/SiteSort.cpp", "i < shared + 4; ++i", "i < shared + 3; ++i",
     "the sort key's head holds three characters instead of four"),
    ("probe-empty-target", "linkcheck/LinkProbe.cpp", 'target = "/";', 'target = "";',
     "a probe of an address without a path sends an empty request target"),
    ("zero-padded-number", "data/operations/RegisterFiles.cpp", "|| name[prefix] == u'0')", ")", "data02.ini taken for record 2"),
    ("ini-eof-blank", "data/format/IniDocument.cpp", "|| u == 0x20 || u == 0x1A;", "|| u == 0x20;",
     "0x1A no longer trimmed like a blank"),
    ("ini-key-case", "data/format/IniDocument.cpp", "            if (y >= 'a' && y <= 'z')\n                y = char(y - 'a' + 'A');\n", "",
     "key names compared with case on one side"),
    ("count-sign", "data/operations/RegisterFiles.cpp", "negative = text[i++] == '-';", "negative = text[i++] == '+';",
     "the count's sign read the wrong way round"),
    ("replace-mode", "data/folder/RegisterFolderSwap.cpp", "        written = written && ::fchmod(file, like->st_mode & 07777) == 0;\n", "",
     "a replaced file loses its mode"),
    ("web-scheme-ftp", "data/text/UrlCompletion.cpp", ' || scheme == QLatin1String("ftp");', ";",
     "an ftp address no longer taken for a site"),
    ("delete-selects-previous", "editing/RegistrationOperations.cpp", "place < rows ? place : rows - 1",
     "place > 0 && place <= rows ? place - 1 : 0", "after a delete the row before becomes current"),
    ("keyword3-missing", "editing/KeywordList.cpp", "        take(site.GetKeyword3());\n", "",
     "keyword 3 left out of the keyword list"),
    ("link-quote", "editing/LinkCode.cpp", 'kEscapedQuote[] = "%22";', 'kEscapedQuote[] = "\\"";',
     "a quote in a URL left unescaped in the link code"),
    ("search-word-at-end", "finding/SearchQuery.cpp", "at >= 0 && at <= last;", "at >= 0 && at < last;",
     "a word at the very end of a text is not found"),
    ("fold-ascii-case", "finding/TextFolding.cpp", "return c >= u'A' && c <= u'Z' ? char16_t(c + 0x20) : c;", "return c;",
     "ASCII letters no longer folded to lower case"),
    ("http-default-port", "finding/SiteIdentity.cpp", "return 80;", "return 8080;",
     "the wrong default port for http"),
    ("html-hex-upper", "data/text/HtmlText.cpp", "    if (base == 16 && u >= u'A' && u <= u'F')\n        return u - u'A' + 10;\n", "",
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
    ("filter-blanks-first", "app/list/SiteFilterModel.cpp", "        return y.isEmpty();", "        return x.isEmpty();",
     "a row placed into a sorted view puts blanks first"),
    ("load-count-lower", "data/operations/RegisterFiles.cpp", "found.count = std::max(count.readable ? count.value : 0, highest);",
     "found.count = std::min(count.readable ? count.value : 0, highest);",
     "the count in force taken as the lower of the count and the highest record: none for a damaged register"),
    ("watch-waits-for-lock", "data/live/SiteRegister.cpp", "m_reader(m_folder, 0)", "m_reader(m_folder, RegisterLock::kDefaultWaitMs)",
     "the watched register waits for another program's lock on the window's thread"),
    ("update-key", "app/window/KeyboardCommands.cpp", "{ControlId::Update, QKeySequence(Qt::CTRL | Qt::Key_S)}",
     "{ControlId::Update, QKeySequence(Qt::CTRL | Qt::Key_U)}", "更新 on the wrong key"),
]

# A review's mutants: each survived every suite when found.
REVIEW_MUTANTS = [
    ("batch-within-count", "data/operations/RegisterOperation.cpp", "survey.dataFiles.upper_bound(std::max(count.value, first - 1))",
     "survey.dataFiles.upper_bound(first - 1)",
     "the note of a batch that got its count removes its files within the count"),
    ("copy-known-unread", "data/operations/IncomingRecords.cpp",
     "    SiteRecord onDisk;\n    bool exists = false;\n    if (!m_operation.readRecord(*held, onDisk, exists) || !exists || TextsKey(onDisk) != key)\n        return false;\n",
     "", "a copy equal to a window's record dropped without reading the disk, where the record changed"),
    ("follow-cut-slice", "data/live/SiteRegisterFollow.cpp", "m_count = cut ? reached : count;", "m_count = count;",
     "a slice cut short marks the whole raised count as followed"),
    ("follow-unreadable-drops", "data/live/SiteRegisterFollow.cpp", "            if (read)\n                put(number,",
     "            if (true)\n                put(number,", "a file that cannot be read drops its row from the list"),
    ("reference-overflow", "data/text/HtmlText.cpp", "value = value > 0x10FFFF ? value : value * base + char32_t(digit);",
     "value = value * base + char32_t(digit);", "&#4294967356; wraps round to '<'"),
    ("edge-blank", "data/text/HtmlText.cpp", "escapeOf(QChar(c), i == 0 || i == size - 1)", "escapeOf(QChar(c), i == 0)",
     "a blank at a text's end not written as &#32; (a reader drops it)"),
    ("lead-bytes-f0", "data/format/CodePage.cpp", "(byte >= 0xE0 && byte <= 0xFC)", "(byte >= 0xE0 && byte <= 0xEF)",
     "lead bytes F0-FC (the user-defined area) taken for single characters"),
    ("c1-controls-kept", "data/format/CodePage.cpp", "c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0)",
     "c.unicode() < 0x20 || c.unicode() == 0x7F", "C1 control characters kept in text from outside"),
    ("link-during-question", "app/registration/OutsideIntake.cpp", "const bool asking = modal && modal != &m_window;",
     "const bool asking = false && modal != &m_window;", "a link offered while a question is open fills the fields"),
    ("two-names-one-number", "data/operations/RegisterFiles.cpp",
     "        if (!found.sites.empty() && found.sites.number(found.sites.size() - 1) == number)\n            continue;\n", "",
     "data1.ini and DATA1.INI both loaded"),
    ("no-last-look", "data/folder/RegisterFolderSwap.cpp", "if (d->readAll(target, out) && out != expected) {",
     "if (false && d->readAll(target, out) && out != expected) {",
     "no last look before the exchange: a change is seen only after the new version stood under the name"),
    ("no-swap-back", "data/folder/RegisterFolderSwap.cpp",
     "    if (renameWith(d->fd, temporary.constData(), target.constData(), kExchange) == 0) {\n        QByteArray returned;\n"
     "        if (d->readAll(temporary, returned) && returned != bytes)\n            renameWith(d->fd, temporary.constData(), target.constData(), kExchange);\n    }\n",
     "", "a change seen after the exchange is not put back"),
    ("newest-not-put-back", "data/folder/RegisterFolderSwap.cpp",
     "        if (d->readAll(temporary, returned) && returned != bytes)\n            renameWith(d->fd, temporary.constData(), target.constData(), kExchange);\n",
     "        (void)returned;\n", "a version that took the name after the exchange is lost by the swap back"),
    ("undo-add-unchecked", "editing/UndoHistory.cpp",
     "if (position >= 0 && m_register.sites().at(std::size_t(position)) == (undoing ? entry.after : entry.before)) {",
     "if (position >= 0 && (undoing || !undoing)) {",
     "undoing a step of many ignores a change made elsewhere to one of them"),
]

# The rules of new numbers and of the count.
NUMBER_MUTANTS = [
    ("claim-replaces", "data/folder/RegisterFolderSwap.cpp",
     "int result = renameWith(d->fd, source.constData(), target.constData(), kNoReplace);",
     "int result = renameWith(d->fd, source.constData(), target.constData(), 0);",
     "a new number's name claimed by replacing what another program put there"),
    ("delete-lowers-count", "data/operations/RegisterFiles.cpp", "operation.writeCount(count, count.value); !counted",
     "operation.writeCount(count, !checkedBytes.empty() && checkedBytes.back().first == count.value ? count.value - 1 : count.value); !counted",
     "a delete of the highest record lowers the count"),
    ("above-seen-removed", "data/operations/IncomingRecords.cpp", "if (above.number > m_countSeen || !known(above.record)) {",
     "if (!known(above.record)) {",
     "a file above the count equal to a record removed, though above every count seen here"),
    ("new-number-within-files", "data/operations/IncomingRecordsCommit.cpp",
     "const long long firstNew = (long long)std::max(m_countInForce, m_survey.highest) + 1;",
     "const long long firstNew = (long long)m_countInForce + 1;", "new numbers start above the count, not above every data file"),
]

# The last rounds': the dates, the spellings of a number, the duplicate warning, the notes, the
# offline rule, marks and copies.
ROUND_MUTANTS = [
    ("same-site-first-only", "cli/CliSameSite.cpp",
     "CodePage::urlToDisplayText(read.value->GetUrl())));\n            return;\n        }\n",
     "CodePage::urlToDisplayText(read.value->GetUrl())));\n        }\n        return;\n",
     "the duplicate warning reads only the first number the note names"),
    ("dates-digest-ignored", "data/record/SiteRecord.cpp", "if (!datesUrl.isEmpty() && datesUrl == DatesUrlDigest(m_url)) {",
     "if (true) {", "dates left behind by the Windows program's renumbering taken for the new record's"),
    ("survey-first-spelling", "data/folder/FolderSurvey.cpp", "at->second = folder.nameOnDisk(DataFileName(number));",
     "(void)at;", "the survey reads another spelling of a number than a load does"),
    ("edit-keeps-changed", "data/record/SiteDates.cpp", "SameTexts(edited, before) ? before.GetChanged() : now",
     "((void)now, before.GetChanged())", "an update leaves the date of the last change as it was"),
    ("new-mark-edge", "editing/NewSiteMark.cpp", "site.GetAdded() > now - std::int64_t(days) * kDaySeconds",
     "site.GetAdded() >= now - std::int64_t(days) * kDaySeconds", "a site added N days ago to the second still marked new"),
    ("note-any-stamp", "data/operations/RegisterOperation.cpp", "if (m_changedBefore < 0 || note.stamp != m_changedBefore)",
     "if (m_changedBefore < 0)", "the folder's last look trusted whatever another program did to the folder since"),
    ("offline-marks", "linkcheck/LinkCheckRun.cpp", "if (!m_doubtful.empty() && !m_cancelled) {", "if (false) {",
     "a run in which no host answered marks its sites as failing"),
    ("marks-ignored", "data/operations/IncomingRecords.cpp", "        if (record.GetInPlaceOf())\n", "        if (false && record.GetInPlaceOf())\n",
     "a site taken in twice (by two computers at once) is never settled: its mark is not read"),
    ("copy-removed-unread", "data/operations/IncomingRecordsCommit.cpp",
     "m_folder.removeIfHolds(m_copies[i].file, m_copyBytes[i]);", "m_folder.remove(m_copies[i].file, RegisterFolder::Flush::Later);",
     "a conflict copy removed after its take-in though another version landed under its name meanwhile"),
    ("clean-with-above", "data/operations/IncomingRecordsCommit.cpp", "&& (raising || m_above.empty());", "&& (raising || true);",
     "the last look says clean though files above the count were left where they lay"),
    ("counted-in-unnoted", "data/operations/IncomingRecordsCommit.cpp", "    noteCountedIn();\n", "",
     "the records a copy of setting.ini brings within the count left out of the sites' note"),
    ("new-mark-undated", "editing/NewSiteMark.cpp", "isOn() && site.GetAdded() != 0 && ", "isOn() && ",
     "a site of unknown date marked new"),
]

ALL_MUTANTS = [m + ("own",) for m in MUTANTS] + [m + ("review",) for m in REVIEW_MUTANTS] \
    + [m + ("numbers",) for m in NUMBER_MUTANTS] + [m + ("round",) for m in ROUND_MUTANTS]

# Mutants that change nothing anyone can see, with the reason.
EQUIVALENT = {
    "search-word-at-end": "the search index ends every field of a row's text with a character no query word holds "
                          "(SearchIndex's field end), and matches() is asked of nothing else: a word never ends at "
                          "a text's last character, where the two bounds differ",
}


def source_dir(build):
    cache = (build / "CMakeCache.txt").read_text()
    return pathlib.Path(re.search(r"^CMAKE_HOME_DIRECTORY:INTERNAL=(.*)$", cache, re.M).group(1))


TARGETS = os.environ.get("MUTATION_TARGETS", "").split()
APP = ["app_tests", "quit_signals_helper", "sitekanri"]
LAYER_TESTS = {
    "data": ["data_tests", "faults_tests", "fault_trial", "fault_helper", "sync_model_tests", "editing_tests",
             "finding_tests", "bookmarks_tests", "cli_tests", "sitekanri-cli"] + APP,
    "editing": ["editing_tests", "cli_tests", "sitekanri-cli"] + APP,
    "finding": ["finding_tests"] + APP,
    "bookmarks": ["bookmarks_tests", "cli_tests", "sitekanri-cli"] + APP,
    "linkcheck": ["linkcheck_tests", "cli_tests", "sitekanri-cli"] + APP,
    "cli": ["cli_tests", "sitekanri-cli"],
    "app": APP,
}
# The programs of a layer's own folder, run first.
OWN = {"data": "data_tests", "editing": "editing_tests", "finding": "finding_tests", "bookmarks": "bookmarks_tests",
       "linkcheck": "linkcheck_tests", "cli": "cli_tests", "app": "app_tests"}


def test_programs(build, layer):
    skip = {"interop_tests", "sync_tests"}
    found = []
    for path in sorted((build / "tests").rglob("*")):
        if path.is_file() and os.access(path, os.X_OK) and path.suffix == "" and path.name not in skip \
                and (path.name.endswith("_tests") or path.name.endswith("_trial")) \
                and (not TARGETS or path.name in TARGETS):
            found.append(path)
    return sorted(found, key=lambda path: path.name != OWN.get(layer))


def build_command(build):
    return ["nice", "cmake", "--build", str(build)] + (["--target"] + TARGETS if TARGETS else [])


def failing_tests(build, layer):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    failed = []
    for program in test_programs(build, layer):
        if failed and not os.environ.get("MUTATION_ALL"):
            break
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
    for ident, file, text, replacement, what, origin in ALL_MUTANTS:
        if chosen and ident not in chosen:
            continue
        layer = file.split("/")[0]
        if os.environ.get("MUTATION_LAYERS"):
            TARGETS = LAYER_TESTS[layer]
        path = source / file
        original = path.read_text()
        if original.count(text) != 1:
            print("%-24s NOT APPLIED (the text is not there once)" % ident, flush=True)
            results[ident] = {"what": what, "applied": False}
            continue
        try:
            path.write_text(original.replace(text, replacement))
            built = subprocess.run(build_command(build), capture_output=True, text=True)
            failed = failing_tests(build, layer) if built.returncode == 0 else ["(does not build)"]
        finally:
            path.write_text(original)
        verdict = "NO BUILD" if failed == ["(does not build)"] else "caught" if failed \
            else "EQUIVALENT" if ident in EQUIVALENT else "SURVIVED"
        results[ident] = {"what": what, "origin": origin, "applied": True, "programs": TARGETS or "all",
                          "failed": failed, "verdict": verdict, "why equivalent": EQUIVALENT.get(ident)}
        print("%-24s %-7s %-10s %s" % (ident, origin, verdict, " ".join(failed[:4])), flush=True)
    (build / "mutants.json").write_text(json.dumps(results, indent=1, ensure_ascii=False))
    verdicts = [r.get("verdict", "NOT APPLIED") for r in results.values()]
    print("%d mutants: %d caught, %d equivalent, %d survived, %d not built, %d not applied" % (
        len(verdicts), verdicts.count("caught"), verdicts.count("EQUIVALENT"), verdicts.count("SURVIVED"),
        verdicts.count("NO BUILD"), verdicts.count("NOT APPLIED")), flush=True)
    subprocess.run(build_command(build), capture_output=True)


if __name__ == "__main__":
    main()
