#pragma once

#include <QString>

class QWidget;

// The file dialogs the window asks with, behind an interface so that tests can answer them
// without a dialog ever blocking. An empty answer means the user cancelled.
class FileDialogs
{
public:
    virtual ~FileDialogs() = default;

    // An existing file to read, starting in `directory`.
    virtual QString openFileName(QWidget *parent, const QString &title, const QString &directory,
                                 const QString &filter) = 0;
    // A file to write, `suggested` (a full path) offered first; replacing one is confirmed.
    virtual QString saveFileName(QWidget *parent, const QString &title, const QString &suggested,
                                 const QString &filter) = 0;
};

// The desktop's own dialogs.
class DesktopFileDialogs : public FileDialogs
{
public:
    QString openFileName(QWidget *parent, const QString &title, const QString &directory,
                         const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &title, const QString &suggested,
                         const QString &filter) override;
};
