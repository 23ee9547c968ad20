#include "../support/CaseTable.h"
#include "RegisterFiles.h"
#include "RegisterFolder.h"
#include "SiteRegister.h"
#include "TempRegister.h"
#include "UndoHistory.h"

#include <QFile>

namespace {

SiteRecord Site(QChar letter)
{
    const QByteArray l(1, char(letter.toLatin1()));
    return MakeRecord(("サイト" + l).constData(), ("http://" + l.toLower() + ".jp/").constData());
}

// "A1 C3": site A as record 1, site C as record 3.
SiteList Register(const QString &text)
{
    SiteList sites;
    for (const QString &entry : text.split(u' ', Qt::SkipEmptyParts))
        sites.push_back(Site(entry[0]), entry.mid(1).toInt());
    return sites;
}

// One step of a case: an operation of the history, an undo or redo, or another program's change.
void Perform(const QString &step, UndoHistory &history, RegisterFiles &elsewhere, const TempRegister &dir,
             QStringList &messages)
{
    if (step == u"u" || step == u"r") {
        const UndoOutcome outcome = step == u"u" ? history.undo() : history.redo();
        EXPECT_EQ(outcome.done(), outcome.message.isEmpty());
        if (!outcome.message.isEmpty())
            messages << outcome.message;
        return;
    }
    const bool other = step.startsWith(u'!');
    const QString op = other ? step.mid(1) : step;
    if (op.startsWith(u"count=")) {
        dir.write(QStringLiteral("setting.ini"), "[SETTING]\r\nDATA_CNT=" + op.mid(6).toLatin1() + "\r\n");
    } else if (op.startsWith(u'+')) {
        EXPECT_TRUE((other ? elsewhere.add(Site(op[1])) : history.add(Site(op[1]))).done()) << qPrintable(step);
    } else if (op.startsWith(u'-')) {
        EXPECT_TRUE((other ? elsewhere.remove(op.mid(1).toInt()) : history.remove(op.mid(1).toInt())).done());
    } else {
        const int number = op.section(u'=', 0, 0).toInt();
        const SiteRecord record = Site(op.section(u'=', 1)[0]);
        EXPECT_TRUE((other ? elsewhere.update(number, record) : history.update(number, record)).done());
    }
}

TEST(UndoHistory, undoAndRedoAsTheTableSays)
{
    for (const QStringList &row : ReadCaseFile(QStringLiteral(EDITING_TEST_DATA "/undo.tsv"))) {
        ASSERT_EQ(row.size(), 5) << row.join(u'|').toStdString();
        for (const bool refreshed : {true, false}) {
            SCOPED_TRACE(row[0].toStdString() + (refreshed ? " (list refreshed)" : " (list not yet refreshed)"));
            TempRegister dir;
            WriteRegister(dir.path(), {Site(u'A'), Site(u'B'), Site(u'C')});
            SiteRegister reg(QFile::encodeName(dir.path()));
            ASSERT_TRUE(reg.open());
            RegisterFolder folder(QFile::encodeName(dir.path()));
            ASSERT_TRUE(folder.open(false));
            RegisterFiles elsewhere(folder);
            UndoHistory history(reg);
            QStringList messages;
            for (const QString &step : row[1].split(u' ')) {
                Perform(step, history, elsewhere, dir, messages);
                if (refreshed && step.startsWith(u'!'))
                    reg.refreshAll();
            }
            EXPECT_EQ(ReadRegister(dir.path()), Register(row[2]));
            reg.refreshAll();
            EXPECT_EQ(reg.sites(), Register(row[2])) << "the list is not what the disk holds";
            ASSERT_EQ(messages.size(), row[3].isEmpty() ? 0 : 1) << messages.join(u'|').toStdString();
            if (!messages.isEmpty()) {
                EXPECT_TRUE(messages[0].startsWith(row[3])) << messages[0].toStdString();
            }
            EXPECT_EQ(QString(QLatin1Char(history.canUndo() ? 'U' : '-')) + QLatin1Char(history.canRedo() ? 'R' : '-'),
                      row[4]);
        }
    }
}

TEST(UndoHistory, namesWhatItWouldDoAndKeepsOnlyTheLatestSteps)
{
    TempRegister dir;
    WriteRegister(dir.path(), {Site(u'A'), Site(u'B')});
    SiteRegister reg(QFile::encodeName(dir.path()));
    ASSERT_TRUE(reg.open());
    UndoHistory history(reg, 2);
    EXPECT_TRUE(history.undoText().isEmpty());
    history.add(Site(u'X'));
    history.update(1, Site(u'Y'));
    history.remove(2);
    EXPECT_EQ(history.undoText(), QString::fromUtf8("「サイトB」の削除"));
    history.undo();
    EXPECT_EQ(history.undoText(), QString::fromUtf8("「サイトY」の変更"));
    EXPECT_EQ(history.redoText(), QString::fromUtf8("「サイトB」の削除"));
    history.undo();
    EXPECT_FALSE(history.canUndo()) << "kept more steps than asked";
    EXPECT_EQ(ReadRegister(dir.path()), Register(QStringLiteral("A1 B2 X3")));
}

} // namespace
