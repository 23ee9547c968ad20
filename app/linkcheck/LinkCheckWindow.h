#pragma once

#include "LinkCheckRun.h"
#include "SiteList.h"

#include <QByteArray>
#include <QDialog>
#include <QString>

#include <optional>
#include <vector>

class LinkCheckTable;
class QCheckBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;

// The link check, in a window of its own beside the main one: the user picks the sites (all of
// them, those of the chosen keyword or the selected rows), starts, watches the count and may
// stop at once. Each answer fills its site's row; a permanent move offers the new URL, one
// click per site, which the window only asks of its owner. Results go to the results file when
// a check ends, stopped or not, and the window opens on the results of that file: the last
// answer of each site's URL, moves offered again. Closing the window stops the check.
class LinkCheckWindow : public QDialog
{
    Q_OBJECT
public:
    // `sites` is the register as it is now; `keyword` the keyword the link collection is made
    // for (register bytes; the "all" entry offers no keyword choice); `selected` the positions
    // of the selected rows.
    LinkCheckWindow(const SiteList &sites, const QString &resultsPath, const QByteArray &keyword,
                    std::vector<std::size_t> selected, QWidget *parent = nullptr);

    void setSettings(const LinkCheckSettings &settings) { m_run.setSettings(settings); }

public slots:
    void startCheck();
    void cancelCheck();
    void reject() override;

signals:
    // The user takes the URL a permanent move leads to for the site `number` (the register's
    // number), which held `oldUrl` when it was checked.
    void urlUpdateRequested(int number, const QByteArray &oldUrl, const QByteArray &newUrl);
    // A check ended (finished or stopped) and its results are in the results file, or could
    // not be written (the window says why).
    void checkFinished();

private:
    QRadioButton *addChoice(const QString &text, std::size_t count);
    std::vector<std::size_t> chosenPositions() const;
    void showSites(std::vector<std::size_t> positions);
    void showLastResults();
    void showResult(int index, const LinkResult &result);
    void takeMove(int index, const QString &movedTo);
    void finishCheck();
    void setChecking(bool checking);

    SiteList m_sites;
    QString m_resultsPath;
    QByteArray m_keyword;
    std::vector<std::size_t> m_selected;
    std::vector<std::size_t> m_positions; // of the rows of the check shown
    std::vector<std::optional<LinkStatus>> m_outcomes; // by row; none until its answer came
    LinkCheckRun m_run;
    bool m_cancelled = false;

    QGroupBox *m_choices = nullptr;
    QRadioButton *m_all = nullptr;
    QRadioButton *m_byKeyword = nullptr;
    QRadioButton *m_bySelection = nullptr;
    QPushButton *m_start = nullptr;
    QPushButton *m_cancel = nullptr;
    QProgressBar *m_progress = nullptr;
    QCheckBox *m_problemsOnly = nullptr;
    LinkCheckTable *m_table = nullptr;
    QLabel *m_summary = nullptr;
};
