// Register operations in a process of their own, for tests that kill the process mid-way,
// run it as another user, or need a second program holding the register.
//   fault_helper churn DIR SEED LOG  prints "ready", then adds, updates and deletes records at
//                                    random until killed, noting each operation in LOG as the
//                                    window operator does (see FaultSupport.h), "undone" for one
//                                    refused
//   fault_helper load DIR            loads DIR; prints "loaded N" or "failed<TAB>file<TAB>reason"
//   fault_helper hold-lock DIR       locks DIR, prints the lock state, holds it until stdin closes
#include "CrashRegister.h"
#include "RegisterFiles.h"
#include "RegisterFolder.h"
#include "RegisterLock.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>

#include <cstdio>
#include <iostream>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace {

int report(const IoResult &result, const QByteArray &success)
{
    const QByteArray line = result ? success : "failed\t" + result.file.toUtf8() + '\t' + result.reason.toUtf8();
    std::printf("%s\n", line.constData());
    return result ? 0 : 1;
}

// One write per line: what reached the log before a kill is there whole.
void note(int log, const QByteArray &line)
{
    const QByteArray bytes = line + '\n';
    if (::write(log, bytes.constData(), size_t(bytes.size())) != bytes.size())
        std::abort();
}

int churn(RegisterFolder &folder, quint32 seed, const QString &logPath)
{
    const int log = ::open(QFile::encodeName(logPath).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (log < 0)
        return 1;
    RegisterFiles files(folder);
    QRandomGenerator random(seed);
    std::printf("ready\n");
    std::fflush(stdout);
    for (int i = 0;; ++i) {
        const QByteArray tag = 'c' + QByteArray::number(seed) + '-' + QByteArray::number(i);
        const int number = 1 + int(random.bounded(CrashRegister::kRecords + 50));
        OperationResult result;
        switch (random.bounded(3)) {
        case 0:
            note(log, "begin add 0 " + tag);
            result = files.add(CrashRegister::Record(tag));
            break;
        case 1:
            note(log, "begin update " + QByteArray::number(number) + ' ' + tag);
            result = files.update(number, CrashRegister::Record(tag));
            break;
        default:
            note(log, "begin delete " + QByteArray::number(number) + " -");
            result = files.remove(number);
            break;
        }
        if (result.status == OperationStatus::Failed || result.status == OperationStatus::Busy
            || result.status == OperationStatus::Damaged) {
            std::fprintf(stderr, "%s\n", result.io.describe().toUtf8().constData());
            return 1;
        }
        note(log, result.done() ? "done " + QByteArray::number(result.number) : QByteArray("undone"));
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("sitekanri"));
    const QStringList args = QCoreApplication::arguments();
    const QString command = args.value(1);
    RegisterFolder folder(QFile::encodeName(args.value(2)));
    if (IoResult opened = folder.open(false); !opened)
        return report(opened, {});
    if (command == QLatin1String("churn") && args.size() == 5)
        return churn(folder, args[3].toUInt(), args[4]);
    if (command == QLatin1String("load") && args.size() == 3) {
        SiteList sites;
        bool damaged = false;
        const IoResult loaded = RegisterFiles(folder).load(sites, damaged);
        return report(loaded, "loaded " + QByteArray::number(qulonglong(sites.size())));
    }
    if (command == QLatin1String("hold-lock") && args.size() == 3) {
        RegisterLock lock(folder, RegisterLock::Mode::Exclusive, 0);
        const RegisterLock::State state = lock.state();
        std::printf("%s\n", state == RegisterLock::State::Locked ? "locked"
                            : state == RegisterLock::State::Busy ? "busy" : "unavailable");
        std::fflush(stdout);
        for (std::string ignored; std::getline(std::cin, ignored);) {
        }
        return 0;
    }
    std::fputs("usage: fault_helper churn DIR SEED LOG | load DIR | hold-lock DIR\n", stderr);
    return 2;
}
