// The window at work until it is killed: random registrations, updates and deletions through the
// window's own operations on the register in DIR, each announced on stdout before it starts
// ("begin KIND NUMBER NAME", NUMBER 0 for an add) and after it ended ("done NUMBER", the new
// record's for an add). A message box means the operation failed: "fail TEXT", and the program ends.
// With "watch" as TAG it only keeps the window open on the register, and for every line read on
// stdin prints the window's list, one "number<TAB>fields in hex" line per record, then "end".
#include "AppDirectory.h"
#include "CrashRegister.h"
#include "DialogTemplate.h"
#include "MainDialog.h"

#include <QApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QSocketNotifier>

#include <unistd.h>

namespace {

void say(const QByteArray &line)
{
    // Unbuffered: whatever was said before the kill must reach the test.
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

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 3)
        return 2;
    SetAppDirectory(QFile::decodeName(argv[1]));
    const QByteArray tag = argv[2];
    YesBoxes boxes;
    MainDialog dialog(boxes);
    if (!dialog.OnInitDialog())
        return 1;
    say("ready");
    if (tag == "watch") {
        QSocketNotifier input(0, QSocketNotifier::Read);
        QObject::connect(&input, &QSocketNotifier::activated, [&dialog] {
            char buffer[256];
            if (::read(0, buffer, sizeof buffer) <= 0)
                QApplication::quit();
            say(CrashRegister::Listing(dialog.sites()) + "end");
        });
        return app.exec();
    }
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
