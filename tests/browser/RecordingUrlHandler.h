#pragma once

#include <QDesktopServices>
#include <QObject>
#include <QStringList>
#include <QUrl>

#include <vector>

// Stands in for the desktop's browser: while it lives, every http, https and file URL handed to
// QDesktopServices::openUrl is recorded here instead of being opened.
class RecordingUrlHandler : public QObject
{
    Q_OBJECT
public:
    RecordingUrlHandler()
    {
        for (const QString &scheme : schemes())
            QDesktopServices::setUrlHandler(scheme, this, "record");
    }
    ~RecordingUrlHandler() override
    {
        for (const QString &scheme : schemes())
            QDesktopServices::unsetUrlHandler(scheme);
    }

    std::vector<QUrl> requests;

public slots:
    void record(const QUrl &url) { requests.push_back(url); }

private:
    static QStringList schemes() { return {QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("file")}; }
};
