// Register operations in a process of their own, for tests that kill the process mid-way,
// run it as another user, or need a second program holding the register.
//   fault_helper churn DIR SEED      adds, updates and deletes records at random until killed,
//                                    noting each operation on stdout as the window operator does
//                                    (see FaultSupport.h), "undone" for one refused
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

#include <unistd.h>

namespace {

// One unbuffered write per line: what was said before a kill reaches the test whole.
void note(const QByteArray &line)
{
    const QByteArray bytes = line + '\n';
    if (::write(1, bytes.constData(), size_t(bytes.size())) != bytes.size())
        std::abort();
}

int churn(RegisterFolder &folder, quint32 seed)
{
    RegisterFiles files(folder);
    QRandomGenerator random(seed);
    for (int i = 0;; ++i) {
        const QByteArray tag = 'c' + QByteArray::number(seed) + '-' + QByteArray::number(i);
        const int number = 1 + int(random.bounded(CrashRegister::kRecords + 50));
        OperationResult result;
        switch (random.bounded(3)) {
        case 0:
            note("begin add 0 " + tag);
            result = files.add(CrashRegister::Record(tag));
            break;
        case 1:
            note("begin update " + QByteArray::number(number) + ' ' + tag);
            result = files.update(number, CrashRegister::Record(tag));
            break;
        default:
            note("begin delete " + QByteArray::number(number) + " -");
            result = files.remove(number);
            break;
        }
        if (result.status == OperationStatus::Failed || result.status == OperationStatus::Busy
            || result.status == OperationStatus::Damaged) {
            std::fprintf(stderr, "%s\n", result.io.describe().toUtf8().constData());
            return 1;
        }
        note(result.done() ? "done " + QByteArray::number(result.number) : QByteArray("undone"));
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
    if (IoResult opened = folder.open(false); !opened) {
        std::fprintf(stderr, "%s\n", opened.describe().toUtf8().constData());
        return 1;
    }
    if (command == QLatin1String("churn") && args.size() == 4)
        return churn(folder, args[3].toUInt());
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
    std::fputs("usage: fault_helper churn DIR SEED | hold-lock DIR\n", stderr);
    return 2;
}
