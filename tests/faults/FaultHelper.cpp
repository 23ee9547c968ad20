// Register operations in a process of their own, for tests that kill the process mid-way,
// run it as another user, or need a second program holding the register.
//   fault_helper save DIR GENERATION   saves crash-trial generation GENERATION into DIR
//   fault_helper load DIR              loads DIR; prints "loaded N" or "failed<TAB>file<TAB>reason"
//   fault_helper hold-lock DIR         locks DIR, prints the lock state, holds it until stdin closes
#include "AppDirectory.h"
#include "CrashRegister.h"
#include "RegisterFolder.h"
#include "RegisterLock.h"
#include "SiteStore.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

int report(const IoResult &result, const QByteArray &success)
{
    const QByteArray line = result ? success : "failed\t" + result.file.toUtf8() + '\t' + result.reason.toUtf8();
    std::printf("%s\n", line.constData());
    return result ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("sitekanri"));
    const QStringList args = QCoreApplication::arguments();
    const QString command = args.value(1);
    SetAppDirectory(args.value(2));
    SiteStore store;
    if (command == QLatin1String("save") && args.size() == 4) {
        store.m_sites = CrashRegister::Generation(args[3].toInt());
        return report(store.Save(), "saved");
    }
    if (command == QLatin1String("load") && args.size() == 3) {
        const IoResult loaded = store.Load();
        return report(loaded, "loaded " + QByteArray::number(qulonglong(store.m_sites.size())));
    }
    if (command == QLatin1String("hold-lock") && args.size() == 3) {
        RegisterFolder folder(QFile::encodeName(args[2]));
        folder.open(false);
        RegisterLock lock(folder, RegisterLock::Mode::Exclusive, 0);
        const RegisterLock::State state = lock.state();
        std::printf("%s\n", state == RegisterLock::State::Locked ? "locked"
                            : state == RegisterLock::State::Busy ? "busy" : "unavailable");
        std::fflush(stdout);
        for (std::string ignored; std::getline(std::cin, ignored);) {
        }
        return 0;
    }
    std::fputs("usage: fault_helper save DIR GENERATION | load DIR | hold-lock DIR\n", stderr);
    return 2;
}
