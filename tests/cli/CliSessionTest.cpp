// Runs the sitekanri-cli sessions of sessions.txt (its head says how they read).
#include "CaseFile.h"
#include "TempRegister.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

TEST(CliSessions, runAsWritten)
{
    std::unique_ptr<TempRegister> reg;
    ProgramRun run;
    Snapshot beforeRun;
    RunSessions(QStringLiteral(SESSIONS_FILE), [&] { reg = std::make_unique<TempRegister>(); },
                [&](const QByteArray &word, const QList<QByteArray> &fields, const CaseRow &row) {
        const QByteArray here = QFile::encodeName(reg->path());
        const QByteArray value = Unescaped(fields.value(fields.size() > 1 ? 1 : 0)).replace("REGISTER", here);
        if (word == "write") {
            reg->write(QString::fromUtf8(fields[0]), value);
        } else if (word == "run") {
            QStringList arguments{QStringLiteral("--dir"), reg->path()};
            for (const QByteArray &field : fields)
                arguments << QString::fromUtf8(
                    Unescaped(field).replace("REGISTER", here).replace("BOOKMARKS", SITEKANRI_BOOKMARK_FILES));
            beforeRun = TakeSnapshot(reg->path());
            run = RunProgram(QStringLiteral(SITEKANRI_CLI_PATH), arguments);
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
    });
}

} // namespace
