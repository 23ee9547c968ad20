#pragma once

#include "BenchRegister.h"
#include "DialogTemplate.h"
#include "MainDialog.h"

#include <QApplication>

#include <benchmark/benchmark.h>

// A message in a benchmark means something went wrong: the run is marked, never blocked.
// Questions (変更 / 削除) are answered Yes.
class FailingBoxes : public MessageBoxes
{
public:
    void showMessage(QWidget *, const QString &, const QString &text) override { failure = text; }
    Answer askYesNo(QWidget *, const QString &, const QString &, Answer) override { return Answer::Yes; }
    QString failure;
};

// A shown window over a register of `state.range(0)` generated sites.
struct BenchWindow
{
    explicit BenchWindow(benchmark::State &state)
        : reg(int(state.range(0)))
    {
    }
    // False (the run marked) when the window did not start.
    bool start(benchmark::State &state)
    {
        if (!dialog.OnInitDialog()) {
            state.SkipWithError(boxes.failure.toStdString().c_str());
            return false;
        }
        dialog.show();
        QApplication::processEvents();
        return true;
    }
    // The fields as a user leaves them before pressing a button, different each time.
    void typeFields(int i)
    {
        dialog.SetItemText(ControlId::SiteName, QStringLiteral("ベンチ%1").arg(i));
        dialog.SetItemText(ControlId::SiteUrl, QStringLiteral("http://bench.example.jp/%1").arg(i));
    }
    void check(benchmark::State &state)
    {
        if (!boxes.failure.isEmpty())
            state.SkipWithError(boxes.failure.toStdString().c_str());
    }

    BenchRegister reg;
    FailingBoxes boxes;
    MainDialog dialog{boxes};
};

// main() of a window benchmark: the application object on the offscreen platform unless another
// is asked for.
inline int RunWindowBenchmarks(int &argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("sitekanri"));
    return RunBenchmarks(argc, argv);
}
