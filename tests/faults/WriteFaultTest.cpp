#include "CaseFile.h"
#include "FaultSupport.h"

#include <QScopeGuard>

#include <iostream>

// Operations that cannot be completed: each fails naming the file and the reason in Japanese,
// and leaves every file of the register exactly as it was, with nothing left behind.
namespace {

// Runs shell-free commands separated by ";" ("mount --bind DIR DIR; …"; "-": none), DIR standing
// for `directory`, "fill DIR" filling it up; stops at the first that fails and returns its
// complaint, or "" when all ran.
QString runCommands(const QByteArray &commands, const QString &directory)
{
    for (const QString &command : QString::fromLatin1(commands == "-" ? "" : commands).split(u';', Qt::SkipEmptyParts)) {
        QStringList words = command.split(u' ', Qt::SkipEmptyParts);
        words.replaceInStrings(QStringLiteral("DIR"), directory);
        if (words == QStringList{QStringLiteral("fill"), directory}) { // a file over the folder's free space
            QFile fill(directory + QStringLiteral("/fill"));
            for (fill.open(QIODevice::WriteOnly); fill.write(QByteArray(4096, 'f')) == 4096 && fill.flush();) {
            }
            continue;
        }
        const ProgramRun run = RunProgram(words.takeFirst(), words);
        if (run.exitCode != 0)
            return command.trimmed() + QStringLiteral(": ") + QString::fromLocal8Bit(run.err.trimmed());
    }
    return {};
}

OperationResult operate(const QString &directory, const QByteArray &operation)
{
    RegisterFolder folder(QFile::encodeName(directory));
    RegisterFiles files(folder, 100);
    const SiteRecord record = MakeRecord("new", "http://example.jp/");
    return operation == "update" ? files.update(1, record) : operation == "remove" ? files.remove(1) : files.add(record);
}

TEST(WriteFaults, failNamingFileAndReason_everyFileUnchanged)
{
    // As root in CI, where permissions alone stop nothing; without root these faults cannot be made.
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to make these faults (mount, chattr)";
    int made = 0;
    for (const CaseRow &row : ReadCaseRows(QStringLiteral(TEST_DATA "/write_faults.tsv"))) {
        SCOPED_TRACE(row.fields[0].toStdString());
        const QByteArray ground = row.fields.value(1), operation = row.fields.value(4);
        TempRegister reg;
        // The ground (a mount) is made in the empty folder, the fault once it holds three records;
        // the undo commands undo whichever of the two made something, when the row ends.
        bool madeSomething = false;
        const auto undo = qScopeGuard([&] {
            if (madeSomething) {
                EXPECT_EQ(runCommands(row.fields.value(3), reg.path()), QString());
            }
        });
        QString why = runCommands(ground, reg.path());
        madeSomething = why.isEmpty() && ground != "-";
        if (why.isEmpty()) {
            WriteRegister(reg.path(), {MakeRecord("a", "u"), MakeRecord("b", "u"), MakeRecord("c", "u")});
            why = runCommands(row.fields.value(2), reg.path());
            madeSomething = madeSomething || why.isEmpty();
        }
        if (!why.isEmpty()) {
            std::cout << "passed over, cannot make this fault here: " << why.toStdString() << "\n";
            continue;
        }
        ++made;
        const Snapshot before = TakeSnapshot(reg.path());
        const QString file = reg.file(QString::fromLatin1(row.fields.value(5)));
        const QString reason = QString::fromUtf8(row.fields.value(6));
        if (operation.startsWith("cli-")) {
            const QStringList how = operation == "cli-add" ? QStringList{QStringLiteral("add")} : QStringList{QStringLiteral("update"), QStringLiteral("1")};
            const ProgramRun run = RunCli(reg.path(), how + QStringList{QStringLiteral("--name"), QStringLiteral("新しいサイト"), QStringLiteral("--url"),
                                                                        QStringLiteral("http://example.jp/")});
            EXPECT_EQ(run.exitCode, 1);
            const QString err = QString::fromUtf8(run.err);
            EXPECT_TRUE(err.contains(file) && err.contains(reason)) << run.err.toStdString();
            EXPECT_EQ(err.count(QLatin1Char('\n')), 1) << "one clear line: " << run.err.toStdString();
        } else {
            const OperationResult result = operate(reg.path(), operation);
            EXPECT_EQ(result.status, OperationStatus::Failed);
            EXPECT_EQ(result.io.file, file);
            EXPECT_EQ(result.io.reason, reason);
            EXPECT_EQ(ReadRegister(reg.path()).size(), 3u);
        }
        EXPECT_EQ(TakeSnapshot(reg.path()), before);
    }
    if (made == 0)
        GTEST_SKIP() << "no fault could be made here";
}

} // namespace
