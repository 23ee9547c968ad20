#include <gtest/gtest.h>

#ifdef SITEKANRI_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

int main(int argc, char **argv)
{
    // Widget tests run without a display unless one is asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Nothing a test does may touch the user's own register, nor the notes kept beside it
    // (programs the tests start inherit the place), nor reach a server through a proxy the machine
    // names: tests that want one set it themselves.
    QStandardPaths::setTestModeEnabled(true);
    const QTemporaryDir state;
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    for (const char *name : {"http_proxy", "https_proxy", "all_proxy", "no_proxy"}) {
        qunsetenv(name);
        qunsetenv(QByteArray(name).toUpper().constData());
    }
    TestApplication app(argc, argv);
    TestApplication::setApplicationName(QStringLiteral("sitekanri"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
