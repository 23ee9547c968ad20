// Another party at work on the register in DIR, in a process of its own so that tests can kill it
// or run it beside others:
//   fault_helper DIR lock    locks DIR, prints the lock's state and holds it until its input closes
//                            or it is killed
//   fault_helper DIR watch   keeps the window open on the register and, for every line read, says
//                            "same" when its list equals a fresh load of the folder, else "differs"
//   fault_helper DIR wSEED   the window at work until it is killed: random registrations, updates
//                            and deletions through its own operations, each announced before it
//                            starts ("begin KIND NUMBER NAME", NUMBER 0 for an add) and after it
//                            ended ("done NUMBER", the new record's for an add); a message box
//                            means it failed: "fail TEXT", and the program ends
#include "AppDirectory.h"
#include "DialogTemplate.h"
#include "MainDialog.h"
#include "RegisterFolder.h"
#include "RegisterLock.h"
#include "SiteStore.h"

#include <QApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QSocketNotifier>

#include <unistd.h>

#include <iostream>
#include <string>

namespace {

void say(const QByteArray &line)
{
    // Unbuffered: whatever was said before a kill must reach the test.
    const QByteArray bytes = line + '\n';
    [[maybe_unused]] const ssize_t written = ::write(1, bytes.constData(), size_t(bytes.size()));
}

class YesBoxes : public MessageBoxes
{
public:
    void showMessage(QWidget *, const QString &, const QString &text) override
    {
        say("fail " + text.toUtf8().replace('\n', ' '));
        ::_exit(3);
    }
    Answer askYesNo(QWidget *, const QString &, const QString &, Answer) override { return Answer::Yes; }
};

int windowAtWork(MainDialog &dialog, const QByteArray &tag)
{
    QRandomGenerator random(tag.mid(1).toUInt()); // the seed after the tag's letter
    for (int i = 0;; ++i) {
        QApplication::processEvents(); // the window takes in what its watcher saw, as it would
        const QByteArray name = tag + '-' + QByteArray::number(i);
        const int rows = int(dialog.sites().size());
        const int kind = rows == 0 ? 0 : int(random.bounded(3));
        const int row = kind > 0 ? int(random.bounded(rows)) : -1;
        dialog.SelectSiteRow(row);
        const char *kinds[] = {"add", "update", "delete"};
        say(QByteArray("begin ") + kinds[kind] + ' ' + QByteArray::number(row < 0 ? 0 : dialog.sites().number(std::size_t(row)))
            + ' ' + name);
        dialog.SetItemText(ControlId::SiteName, QString::fromLatin1(name));
        dialog.SetItemText(ControlId::SiteUrl, QStringLiteral("http://%1.example/").arg(QString::fromLatin1(name)));
        kind == 0 ? dialog.RegisterNewSite() : kind == 1 ? dialog.UpdateSite() : dialog.DeleteSite();
        const int current = dialog.GetSelectedSiteRow();
        say("done " + QByteArray::number(kind == 0 && current >= 0 ? dialog.sites().number(std::size_t(current)) : 0));
    }
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("sitekanri"));
    if (argc != 3)
        return 2;
    const QString directory = QFile::decodeName(argv[1]);
    const QByteArray mode = argv[2];
    RegisterFolder folder(QFile::encodeName(directory));
    if (mode == "lock") {
        if (IoResult opened = folder.open(RegisterFolder::Missing::ReadsEmpty); !opened) {
            say(opened.describe().toUtf8());
            return 1;
        }
    }
    if (mode == "lock") {
        const RegisterLock lock(folder, RegisterLock::Mode::Exclusive, 0);
        say(lock.state() == RegisterLock::State::Locked ? "locked" : lock.state() == RegisterLock::State::Busy ? "busy" : "unavailable");
        for (std::string ignored; std::getline(std::cin, ignored);) {
        }
        return 0;
    }
    SetAppDirectory(directory);
    YesBoxes boxes;
    MainDialog dialog(boxes);
    if (!dialog.OnInitDialog())
        return 1;
    say("ready");
    if (mode != "watch")
        return windowAtWork(dialog, mode);
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&dialog] {
        char buffer[256];
        if (::read(0, buffer, sizeof buffer) <= 0)
            QApplication::quit();
        SiteStore disk;
        say(disk.Load() && disk.m_sites == dialog.sites() ? "same" : "differs");
    });
    return app.exec();
}
