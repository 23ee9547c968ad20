// A second program at work on the register:
//   fault_helper DIR          locks DIR, prints the lock's state and holds it until its input closes
//                             or it is killed
//   fault_helper DIR update   updates record 1's content over and over, as `sitekanri-cli update`
//                             does (read, then replace if unchanged), until a file named "stop"
//                             appears in DIR; prints how many updates were done
#include "RegisterFiles.h"
#include "RegisterFolder.h"
#include "RegisterLock.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("sitekanri"));
    const QStringList arguments = QCoreApplication::arguments();
    RegisterFolder folder(QFile::encodeName(arguments.value(1)));
    if (IoResult opened = folder.open(false); !opened) {
        std::fprintf(stderr, "%s\n", opened.describe().toUtf8().constData());
        return 1;
    }
    if (arguments.value(2) == QLatin1String("update")) {
        RegisterFiles files(folder);
        int done = 0;
        for (int i = 0; !QFile::exists(arguments[1] + QStringLiteral("/stop")); ++i) {
            SiteRecord loaded;
            bool exists = false;
            if (!files.read(1, loaded, exists) || !exists)
                return 1;
            SiteRecord record = loaded;
            record.m_content = 'u' + QByteArray::number(i);
            done += files.update(1, record, loaded).done();
        }
        std::printf("%d\n", done);
        return 0;
    }
    const RegisterLock lock(folder, RegisterLock::Mode::Exclusive, 0);
    std::printf("%s\n", lock.state() == RegisterLock::State::Locked ? "locked"
                        : lock.state() == RegisterLock::State::Busy ? "busy" : "unavailable");
    std::fflush(stdout);
    for (std::string ignored; std::getline(std::cin, ignored);) {
    }
    return 0;
}
