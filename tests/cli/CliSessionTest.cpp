// Runs the sitekanri-cli sessions of sessions.txt (its head says how they read).
#include "CaseFile.h"
#include "TempRegister.h"

#include <QFile>

#include <cctype>
#include <cstdio>

#include <gtest/gtest.h>

namespace {

// Every date the program wrote, which is the time of the run (2026-12-09T14:58:14Z), as TIME;
// byte by byte, since a register file is no UTF-8.
QByteArray timesAsWords(QByteArray text)
{
    const QByteArray shape = "dddd-dd-ddTdd:dd:ddZ";
    for (qsizetype at = 0; at + shape.size() <= text.size(); ++at) {
        bool time = true;
        for (qsizetype i = 0; i < shape.size() && time; ++i)
            time = shape[i] == 'd' ? std::isdigit(static_cast<unsigned char>(text[at + i])) != 0 : text[at + i] == shape[i];
        if (time)
            text.replace(at, shape.size(), "TIME");
    }
    return text;
}

TEST(CliSessions, runAsWritten)
{
    std::unique_ptr<TempRegister> reg;
    const auto step = [&](const QByteArray &word, const QList<QByteArray> &fields, const CaseRow &row) {
        const auto text = [here = QFile::encodeName(reg->path())](const QByteArray &escaped) {
            return Unescaped(escaped).replace("REGISTER", here).replace("BOOKMARKS", SITEKANRI_BOOKMARK_FILES);
        };
        const QString name = QString::fromUtf8(Unescaped(fields.value(0)));
        if (word == "write") {
            reg->write(name, text(fields.value(1)));
            return;
        }
        if (word == "replace") { // a new file renamed over the old, as sync tools and editors save
            reg->write(QStringLiteral(".incoming"), text(fields.value(1)));
            ASSERT_EQ(std::rename(QFile::encodeName(reg->file(QStringLiteral(".incoming"))), QFile::encodeName(reg->file(name))), 0);
            return;
        }
        if (word == "remove") {
            ASSERT_TRUE(QFile::remove(reg->file(name))) << name.toStdString();
            return;
        }
        if (word == "symlink") {
            ASSERT_TRUE(QFile::link(QString::fromUtf8(fields.value(1)), reg->file(name)));
            return;
        }
        if (word == "file") {
            EXPECT_EQ(timesAsWords(reg->read(name)), text(fields.value(1))) << fields[0].toStdString();
            return;
        }
        ASSERT_EQ(word, "run") << "line " << row.line << ": unknown word";
        const qsizetype arrow = fields.indexOf("\xE2\x86\x92"); // →
        QStringList arguments{QStringLiteral("--dir"), reg->path()};
        QString input;
        for (const QByteArray &field : fields.mid(0, arrow)) {
            const QString argument = QString::fromUtf8(text(field));
            if (argument.startsWith(u"STDIN="))
                input = argument.mid(6);
            else
                arguments << argument;
        }
        // The register's files but the lock file, which any run may leave (empty) behind.
        const auto files = [&] { Snapshot all = TakeSnapshot(reg->path()); return all.erase(QStringLiteral("sitekanri.lock")), all; };
        const Snapshot before = files();
        // No command prints Qt's own warnings, which a script reads as errors.
        const ProgramRun run = RunProgram(QStringLiteral(SITEKANRI_CLI_PATH), arguments, input, true);
        for (const QByteArray &result : arrow < 0 ? QList<QByteArray>() : fields.mid(arrow + 1)) {
            const QByteArray kind = result.split(' ').first(), value = text(result.mid(kind.size() + 1));
            if (kind == "exit")
                EXPECT_EQ(run.exitCode, value.toInt()) << run.err.toStdString();
            else if (kind == "out")
                EXPECT_EQ(timesAsWords(run.out), value);
            else if (kind == "has" || kind == "err")
                EXPECT_TRUE((kind == "has" ? timesAsWords(run.out) : run.err).contains(value)) << run.out.toStdString() << run.err.toStdString();
            else if (kind == "quiet")
                EXPECT_TRUE(run.err.isEmpty()) << "line " << row.line << ": " << run.err.toStdString();
            else if (kind == "unchanged")
                EXPECT_EQ(files(), before) << "the run wrote to the register";
            else
                ADD_FAILURE() << "line " << row.line << ": unknown result " << kind.toStdString();
        }
    };
    RunSessions(QStringLiteral(TEST_DATA "/sessions.txt"), [&] { reg = std::make_unique<TempRegister>(); }, step);
}

} // namespace
