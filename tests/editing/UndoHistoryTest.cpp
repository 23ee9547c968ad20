#include "CaseFile.h"
#include "KeywordEdits.h"
#include "SiteClock.h"
#include "TempRegister.h"
#include "UndoHistory.h"

namespace {

// A capital: the site サイトX at http://x.jp/; a small letter: the same site with a content;
// "X:k/l" the site with keywords k and l.
SiteRecord Site(const QString &written)
{
    const QChar letter = written[0];
    const QByteArray l(1, char(letter.toUpper().toLatin1()));
    const QStringList k = written.section(u':', 1).split(u'/');
    return MakeRecord(("サイト" + l).constData(), ("http://" + l.toLower() + ".jp/").constData(), k.value(0).toUtf8(),
                      k.value(1).toUtf8(), k.value(2).toUtf8(), letter.isLower() ? "内容" : "");
}

// "A1 C3:k": site A as record 1, site C with keyword k as record 3.
SiteList Register(const QString &text)
{
    SiteList sites;
    for (const QString &entry : text.split(u' ', Qt::SkipEmptyParts))
        sites.push_back(Site(entry.left(1) + entry.section(u':', 1).prepend(u':')), entry.section(u':', 0, 0).mid(1).toInt());
    return sites;
}

// "+X" (or "+XY", one step), "2=X" or "-2", through the history or by another program alike.
template <class Writer>
OperationResult Write(Writer &writer, const QString &op)
{
    const int number = op.mid(op[0] == u'-' ? 1 : 0).section(u'=', 0, 0).toInt();
    std::vector<SiteRecord> added;
    if (op.contains(u':'))
        added.push_back(Site(op.mid(1)));
    else
        for (const QChar letter : op.mid(1))
            added.push_back(Site(letter));
    return op[0] == u'+' ? writer.addMany(added) : op[0] == u'-' ? writer.remove(number) : writer.update(number, Site(op.section(u'=', 1)));
}

// "k:FROM>TO" renames a keyword (TO empty takes it off), "k+K@1,3" sets K on records 1 and 3.
KeywordOutcome EditKeywords(KeywordOperations &keywords, const SiteList &sites, const QString &op)
{
    if (op[1] == u':')
        return keywords.rename(op.mid(2).section(u'>', 0, 0).toUtf8(), op.section(u'>', 1).toUtf8());
    std::vector<SeenRecord> chosen;
    for (const QString &number : op.section(u'@', 1).split(u','))
        chosen.push_back({number.toInt(), sites.at(std::size_t(sites.positionOf(number.toInt())))});
    return keywords.set(chosen, op.mid(2).section(u'@', 0, 0).toUtf8());
}

// Step i of a row runs at kFirstStep + i hours; the register's first records date from step 0.
constexpr std::int64_t kFirstStep = 1796824800; // 2026-12-09T15:20:00Z
constexpr std::int64_t kStepLength = 3600;

// "1:0/2 4:-/-": record 1 added at step 0 and changed at step 2, record 4 without dates.
QString Dates(const SiteList &sites)
{
    const auto step = [](std::int64_t time) {
        return time == 0 ? QStringLiteral("-") : QString::number((time - kFirstStep) / kStepLength);
    };
    QStringList dates;
    for (std::size_t i = 0; i < sites.size(); ++i)
        dates << QStringLiteral("%1:%2/%3").arg(sites.number(i)).arg(step(sites.at(i).GetAdded()), step(sites.at(i).GetChanged()));
    return dates.join(u' ');
}

TEST(UndoHistory, undoAndRedoAsTheTableSays)
{
    for (const QStringList &row : ReadCaseFile(QStringLiteral(TEST_DATA "/undo.tsv"))) {
        ASSERT_TRUE(row.size() == 5 || row.size() == 6) << row.join(u'|').toStdString();
        // Twice where another program changes the register: the list refreshed after it, and not yet.
        for (const bool refreshed : {true, false}) {
            if (!refreshed && (!row[1].contains(u'!') || row[1].contains(u'~')))
                continue;
            SCOPED_TRACE(row[0].toStdString() + (refreshed ? " (list refreshed)" : " (list not yet refreshed)"));
            std::vector<SiteRecord> first{Site(QStringLiteral("A")), Site(QStringLiteral("B")), Site(QStringLiteral("C"))};
            for (SiteRecord &record : first)
                record.SetDates(kFirstStep, kFirstStep);
            OpenRegister opened(first);
            TempRegister &dir = opened.dir;
            SiteRegister &reg = opened.reg;
            FolderFiles elsewhere(dir.path());
            UndoHistory history(reg, 3);
            KeywordOperations keywords(reg, history);
            QStringList messages;
            std::int64_t stepTime = kFirstStep;
            for (const QString &step : row[1].split(u' ')) {
                const HeldSiteClock clock(stepTime += kStepLength);
                if (step == u"~") {
                    reg.refreshAll();
                } else if (step == u"u" || step == u"r") {
                    const UndoOutcome outcome = step == u"u" ? history.undo() : history.redo();
                    EXPECT_TRUE(outcome.done() || !outcome.message.isEmpty()); // done in part: told
                    messages << outcome.message;
                } else if (step.startsWith(u"!count=")) {
                    dir.write(QStringLiteral("setting.ini"), "[SETTING]\r\nDATA_CNT=" + step.mid(7).toLatin1() + "\r\n");
                } else if (step.startsWith(u"!@")) {
                    WriteRecordFile(dir.file(DataFileName(step.mid(2).section(u'=', 0, 0).toInt())), Site(step.section(u'=', 1)));
                } else if (step[0] == u'k') {
                    const KeywordOutcome outcome = EditKeywords(keywords, reg.sites(), step);
                    EXPECT_TRUE(outcome.result.done());
                    messages << outcome.message;
                } else {
                    EXPECT_TRUE((step[0] == u'!' ? Write(elsewhere.files, step.mid(1)) : Write(history, step)).done()) << qPrintable(step);
                }
                if (refreshed && step[0] == u'!')
                    reg.refreshAll();
            }
            EXPECT_EQ(ReadRegister(dir.path()), Register(row[2]));
            if (row.size() == 6) {
                EXPECT_EQ(Dates(ReadRegister(dir.path())), row[5]);
                if (refreshed || !row[1].contains(u'!')) {
                    EXPECT_EQ(Dates(reg.sites()), row[5]) << "the list's dates are not the files'";
                }
            }
            messages.removeAll(QString());
            const QString message = QString::fromUtf8(Unescaped(row[3].toUtf8()));
            EXPECT_EQ(messages.join(u'|').left(message.size()), message) << messages.join(u'|').toStdString();
            EXPECT_EQ(messages.size(), message.isEmpty() ? 0 : 1);
            EXPECT_EQ(QString(QLatin1Char(history.canUndo() ? 'U' : '-')) + QLatin1Char(history.canRedo() ? 'R' : '-'), row[4]);
        }
    }
}

// The files the history keeps for its undo go with the step that keeps them.
TEST(UndoHistory, keptFilesGoWithTheStepThatKeepsThem)
{
    OpenRegister opened({MakeRecord("a", "http://a/"), MakeRecord("b", "http://b/"), MakeRecord("c", "http://c/")});
    TempRegister &dir = opened.dir;
    SiteRegister &reg = opened.reg;
    {
        UndoHistory history(reg, 1);
        ASSERT_TRUE(history.removeMany({{1, reg.sites().at(0)}, {2, reg.sites().at(1)}}).done());
        EXPECT_EQ(KeptFiles(dir.path()).size(), 2);
        ASSERT_TRUE(history.undo().done()); // renamed back: nothing kept
        EXPECT_EQ(KeptFiles(dir.path()).size(), 0);
        ASSERT_TRUE(history.redo().done());
        EXPECT_EQ(KeptFiles(dir.path()).size(), 2);
        ASSERT_TRUE(history.remove(3).done()); // the history holds one step: the first one goes
        EXPECT_EQ(KeptFiles(dir.path()).size(), 1);
    }
    EXPECT_EQ(KeptFiles(dir.path()).size(), 0); // and the history's last with it
}

} // namespace
