// A program that takes the quit signals as the window does, for QuitSignalsTest, with a second to
// serve one. Its argument says what its event loop does with one: "quits", "ignores" it (a close
// the user refused), or never gets to it ("blocked": the GUI thread busy for a minute).
#include "QuitSignals.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QuitSignals quit(1);
    const char *mode = argc > 1 ? argv[1] : "quits";
    if (std::strcmp(mode, "quits") == 0)
        QObject::connect(&quit, &QuitSignals::received, &application, &QCoreApplication::quit);
    std::puts("ready");
    std::fflush(stdout);
    if (std::strcmp(mode, "blocked") == 0) {
        // A signal cuts a sleep short; the thread stays busy all the same.
        const time_t end = std::time(nullptr) + 60;
        while (std::time(nullptr) < end)
            ::sleep(1);
    }
    return application.exec();
}
