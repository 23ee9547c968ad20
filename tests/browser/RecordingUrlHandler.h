#pragma once

#include <QDesktopServices>
#include <QObject>
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
        for (const char *scheme : kSchemes)
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "record");
    }
    ~RecordingUrlHandler() override
    {
        for (const char *scheme : kSchemes)
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }

    std::vector<QUrl> requests;

public slots:
    void record(const QUrl &url) { requests.push_back(url); }

private:
    static constexpr const char *kSchemes[] = {"http", "https", "file"};
};
