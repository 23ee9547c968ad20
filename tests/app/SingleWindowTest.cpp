// The single-window socket: in a folder of this user's alone, and never obeying another user.
#include "SingleWindow.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

TEST(SingleWindowFolder, onlyAFolderOfOursAloneHoldsTheSocket)
{
    const bool root = ::geteuid() == 0;
    struct Row
    {
        const char *what;
        mode_t runtimeMode;  // 0: no XDG_RUNTIME_DIR
        uid_t runtimeOwner;
        bool tempTakenByOther; // <temp>/sitekanri-<uid> made first by another user
        char expected; // 'r': the runtime folder, 'o': a folder of our own, '-': none
    };
    const Row rows[] = {
        {"runtime folder ours", 0700, ::geteuid(), false, 'r'},
        {"runtime folder open to others", 0755, ::geteuid(), false, 'o'},
        {"runtime folder another user's", 0700, kNobody, false, 'o'},
        {"no runtime folder", 0, 0, false, 'o'},
        {"own folder made by another user", 0, 0, true, '-'},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        if (((row.runtimeOwner != ::geteuid() && row.runtimeMode != 0) || row.tempTakenByOther) && !root) {
            std::cout << "skipped (needs root to own files as another user): " << row.what << '\n';
            continue;
        }
        QTemporaryDir runtime, temp;
        QString runtimePath;
        if (row.runtimeMode != 0) {
            runtimePath = runtime.path();
            ASSERT_EQ(::chmod(QFile::encodeName(runtimePath).constData(), row.runtimeMode), 0);
            ASSERT_EQ(::chown(QFile::encodeName(runtimePath).constData(), row.runtimeOwner, gid_t(-1)), 0);
        }
        const QString own = temp.filePath(QStringLiteral("sitekanri-%1").arg(::geteuid()));
        if (row.tempTakenByOther) {
            ASSERT_EQ(::mkdir(QFile::encodeName(own).constData(), 0700), 0);
            ASSERT_EQ(::chown(QFile::encodeName(own).constData(), kNobody, kNobody), 0);
        }
        const QString expected = row.expected == 'r' ? runtimePath : row.expected == 'o' ? own : QString();
        EXPECT_EQ(SingleWindow::socketFolder(runtimePath, temp.path()), expected);
        if (expected == own) {
            struct stat info = {};
            ASSERT_EQ(::lstat(QFile::encodeName(own).constData(), &info), 0);
            EXPECT_EQ(info.st_mode & 0777, 0700u);
        }
        ::chown(QFile::encodeName(runtimePath).constData(), ::geteuid(), gid_t(-1));
    }
}

TEST(SingleWindowPeer, anotherUsersListenerIsNotObeyedAndTheWindowTakesTheName)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to listen as another user";
    QTemporaryDir register_;
    SingleWindow first(register_.path());
    // Where the program would look for a running window, whatever form the name has (a bare
    // name is one in the temporary folder).
    const QString name = first.serverName();
    const QString full = QDir::isAbsolutePath(name) ? name : QDir::temp().filePath(name);
    ASSERT_FALSE(name.isEmpty());
    QFile::remove(full);
    // A listener that ran as `nobody` when it began to listen.
    QProcess listener;
    listener.start(QStringLiteral("python3"), {QStringLiteral("-c"), QStringLiteral("import os, signal, socket, sys; s = socket.socket(socket.AF_UNIX); "
                                                                                   "s.bind(sys.argv[1]); os.setgid(65534); os.setuid(65534); s.listen(8); signal.pause()"),
                                               full});
    QLocalSocket reached;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        reached.connectToServer(first.serverName());
        const bool up = reached.waitForConnected(100);
        reached.abort();
        return up;
    }, 5000));

    EXPECT_FALSE(first.claim()) << "obeyed a listener of another user's";
    SingleWindow later(register_.path());
    EXPECT_TRUE(later.claim()) << "the first window did not take the name over";
}

} // namespace
