#include "FileDialogs.h"

#include <QFileDialog>

QString DesktopFileDialogs::openFileName(QWidget *parent, const QString &title, const QString &directory,
                                         const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, title, directory, filter);
}

QString DesktopFileDialogs::saveFileName(QWidget *parent, const QString &title, const QString &suggested,
                                         const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, title, suggested, filter);
}
