// Runs the sitekanri-cli sessions of sessions.txt (its head says how they read).
#include "TempRegister.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

QByteArray unescaped(const QByteArray &text)
{
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        if (c == 'x') {
            out += char(text.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        } else {
            out += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
        }
    }
    return out;
}

TEST(CliSessions, runAsWritten)
{
    QFile table(QStringLiteral(SESSIONS_FILE));
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    std::unique_ptr<TempRegister> reg;
    std::string name;
    ProgramRun run;
    int line = 0;
    for (const QByteArray &raw : table.readAll().split('\n')) {
        ++line;
        if (raw.isEmpty() || raw.startsWith('#'))
            continue;
        QList<QByteArray> fields = raw.split('\t');
        const QByteArray word = fields.takeFirst();
        if (word == "case") {
            reg = std::make_unique<TempRegister>();
            name = fields.value(0).toStdString();
            continue;
        }
        ASSERT_TRUE(reg) << "line " << line;
        SCOPED_TRACE(name + " (line " + std::to_string(line) + ")");
        const QByteArray here = QFile::encodeName(reg->path());
        const QByteArray value = unescaped(fields.value(fields.size() > 1 ? 1 : 0)).replace("REGISTER", here);
        if (word == "write") {
            reg->write(QString::fromUtf8(fields[0]), value);
        } else if (word == "run") {
            QStringList arguments{QStringLiteral("--dir"), reg->path()};
            for (const QByteArray &field : std::as_const(fields))
                arguments << QString::fromUtf8(
                    unescaped(field).replace("REGISTER", here).replace("BOOKMARKS", SITEKANRI_BOOKMARK_FILES));
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
        } else {
            ADD_FAILURE() << "line " << line << ": unknown word " << word.toStdString();
        }
    }
}

} // namespace
