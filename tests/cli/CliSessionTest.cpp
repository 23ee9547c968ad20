// Runs the sitekanri-cli sessions of sessions.txt (its head says how they read).
#include "CaseFile.h"
#include "TempRegister.h"

#include <QFile>

#include <gtest/gtest.h>

#include <functional>

namespace {

TEST(CliSessions, runAsWritten)
{
    std::unique_ptr<TempRegister> reg;
    ProgramRun run;
    Snapshot beforeRun;
    std::function<void(const QByteArray &, const QList<QByteArray> &, const CaseRow &)> step;
    step = [&](const QByteArray &word, const QList<QByteArray> &fields, const CaseRow &row) {
        const QByteArray here = QFile::encodeName(reg->path());
        const QByteArray value = Unescaped(fields.value(fields.size() > 1 ? 1 : 0)).replace("REGISTER", here);
        if (word == "write") {
            reg->write(QString::fromUtf8(fields[0]), value);
        } else if (word == "run") {
            const qsizetype arrow = fields.indexOf("\xE2\x86\x92"); // →
            QStringList arguments{QStringLiteral("--dir"), reg->path()};
            QString input;
            for (const QByteArray &field : fields.mid(0, arrow)) {
                const QString argument = QString::fromUtf8(
                    Unescaped(field).replace("REGISTER", here).replace("BOOKMARKS", SITEKANRI_BOOKMARK_FILES));
                if (argument.startsWith(u"STDIN="))
                    input = argument.mid(6);
                else
                    arguments << argument;
            }
            beforeRun = TakeSnapshot(reg->path());
            run = RunProgram(QStringLiteral(SITEKANRI_CLI_PATH), arguments, input);
            for (const QByteArray &result : arrow < 0 ? QList<QByteArray>() : fields.mid(arrow + 1)) {
                const qsizetype blank = result.indexOf(' ');
                step(result.left(blank < 0 ? result.size() : blank), {result.mid(blank < 0 ? result.size() : blank + 1)}, row);
            }
        } else if (word == "exit") {
            EXPECT_EQ(run.exitCode, fields[0].toInt()) << run.err.toStdString();
        } else if (word == "out") {
            EXPECT_EQ(run.out, value);
        } else if (word == "has") {
            EXPECT_TRUE(run.out.contains(value)) << run.out.toStdString();
        } else if (word == "err") {
            EXPECT_TRUE(run.err.contains(value)) << run.err.toStdString();
        } else if (word == "file") {
            EXPECT_EQ(reg->read(QString::fromUtf8(fields[0])), value) << fields[0].toStdString();
        } else if (word == "unchanged") {
            EXPECT_EQ(TakeSnapshot(reg->path()), beforeRun) << "the last run wrote to the register";
        } else {
            ADD_FAILURE() << "line " << row.line << ": unknown word " << word.toStdString();
        }
    };
    RunSessions(QStringLiteral(TEST_DATA "/sessions.txt"), [&] { reg = std::make_unique<TempRegister>(); }, step);
}

} // namespace
