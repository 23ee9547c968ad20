// Code and names that look like markup or are huge: shown as text, laid out in bounded time, and
// never a reason for the window to read a file.
#include "AppTestSupport.h"
#include "DisplayText.h"
#include "LinkCodeBox.h"
#include "LinkPreview.h"
#include "PreviewMarkup.h"

#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QTextBlock>
#include <QTextDocumentFragment>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A writer of the FIFO `path`, in a child process, waiting in its open for a reader.
pid_t AwaitReader(const QByteArray &path)
{
    const pid_t child = ::fork();
    if (child == 0) {
        struct sigaction interrupt = {};
        interrupt.sa_handler = [](int) {}; // no SA_RESTART: the open ends with EINTR
        ::sigaction(SIGUSR1, &interrupt, nullptr);
        ::_exit(::open(path.constData(), O_WRONLY | O_CLOEXEC) >= 0 ? 0 : 1);
    }
    return child;
}

// Interrupts the writer's wait: its open failed unless a reader came first, which the kernel
// decides, so no time has to pass for the answer to be sure.
bool ReaderCame(pid_t writer)
{
    int status = 0;
    if (writer <= 0) // no child (a failed fork): kill(-1) would signal every process there is
        return false;
    while (::waitpid(writer, &status, WNOHANG) == 0)
        ::kill(writer, SIGUSR1);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Every way markup names a resource, at a local PNG of one colour, a FIFO and /dev/zero: the
// preview shows none of them and opens none (a read of /dev/zero ends in bad_alloc, one of the
// FIFO blocks for good).
TEST(HostileText, previewLoadsNothingTheCodeNames)
{
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("red.png"));
    QImage red(40, 40, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(png));
    const QString fifoPath = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifoPath).constData(), 0600), 0);
    LinkPreview preview;
    preview.resize(300, 300);
    preview.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
    const QString code = QStringLiteral("<img src=\"%1\"><img src=\"file://%1\"><img src=\"%2\"><img src=\"/dev/zero\">"
                                        "<table background=\"%1\"><tr><td>t</td></tr></table>"
                                        "<link rel=\"stylesheet\" href=\"%2\"><p style=\"background-image: url(%1)\">x</p>")
                             .arg(png, fifoPath);
    const pid_t writer = AwaitReader(QFile::encodeName(fifoPath));
    preview.showCode(code);
    const QImage shown = preview.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const auto *pixels = reinterpret_cast<const QRgb *>(shown.constBits());
    EXPECT_EQ(std::count(pixels, pixels + shown.width() * shown.height(), qRgb(255, 0, 0)), 0) << "the local picture was shown";
    EXPECT_FALSE(ReaderCame(writer)) << "the FIFO was opened";
}

// 100 nested tables never finished laying out; the notice comes at once instead, and what the
// preview keeps to (its first lines, 64 KiB) holds for one endless line too.
TEST(HostileText, previewOfCodeTooComplexShowsANotice)
{
    const int tables = PreviewMarkup::kMaxTableDepth;
    const std::pair<QString, bool> rows[] = {
        {QStringLiteral("<table><tr><td>").repeated(100) + QStringLiteral("x"), true},
        {QStringLiteral("<table><tr><td>").repeated(tables) + QStringLiteral("x"), false},
        // The parser nests a table of its own for each cell that is in no row.
        {QStringLiteral("<td>x</td></tr>").repeated(tables + 1), true},
        // A closing tag that matches nothing closes nothing.
        {QStringLiteral("<ul></b>").repeated(PreviewMarkup::kMaxDepth + 1) + QStringLiteral("x"), true},
        {QStringLiteral("<table>%1</table>").arg(QStringLiteral("<tr><td>a</td><th>b</th></tr>").repeated(500)), false},
    };
    LinkPreview preview;
    preview.show();
    for (const auto &[code, notice] : rows) {
        preview.showCode(code);
        EXPECT_EQ(preview.toPlainText() == LinkPreview::tooComplexNotice(), notice) << code.left(40).toStdString();
    }
    // Refused before they are parsed, which took time growing with the square of their number.
    EXPECT_TRUE(PreviewMarkup::of(QStringLiteral("<td>x</td></tr>").repeated(PreviewMarkup::kMaxStrayCells + 1)).tooComplex);
    preview.showCode(QString(1 << 20, QLatin1Char('y')));
    EXPECT_LE(preview.toPlainText().count(QLatin1Char('y')), PreviewMarkup::kMaxChars);
}

// A line of half a megabyte with no break took the box most of a minute; it is shown cut, and
// the code copied, whole or in part, is the code.
TEST(HostileText, codeBoxShowsALongLineCutAndCopiesItWhole)
{
    const QString longLine = QString(512 * 1024, QLatin1Char('w'));
    const QString code = QStringLiteral("<A>a</A><BR>\r\n") + longLine + QStringLiteral("\r\nz\r\n");
    LinkCodeBox box;
    box.setLinkCode(code);
    EXPECT_LT(box.document()->characterCount(), 2 * LinkCodeBox::kMaxShownLine);
    EXPECT_EQ(box.linkCode(), code);
    QTextCursor line(box.document()->findBlockByNumber(1));
    line.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
    box.setTextCursor(line);
    box.copy();
    EXPECT_TRUE(QGuiApplication::clipboard()->text() == longLine + QStringLiteral("\r\n")) << "a part lost in the copy";
    box.selectAll();
    box.copy();
    EXPECT_TRUE(QGuiApplication::clipboard()->text() == code);
}

// What message boxes and tooltips are given: a name of a megabyte took seconds to lay out.
TEST(HostileText, messagesAndTooltipsAreShortenedForDisplay)
{
    const QString line(DisplayText::kMaxLineChars, u'x');
    const std::pair<QString, QString> rows[] = {
        {QStringLiteral("a\nb"), QStringLiteral("a\nb")},
        {line + QStringLiteral("yz\nb"), line + QStringLiteral("…\nb")},
        {QStringLiteral("l\n").repeated(DisplayText::kMaxLines + 5), QStringLiteral("l\n").repeated(DisplayText::kMaxLines) + QStringLiteral("…")},
    };
    for (const auto &[text, shown] : rows)
        EXPECT_EQ(DisplayText::shortened(text), shown);
    const QString name = QStringLiteral("<img src=\"/dev/zero\"> & <b>  x</b>");
    EXPECT_EQ(QTextDocumentFragment::fromHtml(DisplayText::toolTip(name)).toPlainText(), name);
}

} // namespace
