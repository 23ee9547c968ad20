#include "SiteApp.h"
#include "TextLocale.h"

#include <QApplication>

int main(int argc, char **argv)
{
    EnsureUtf8TextLocale();
    QApplication application(argc, argv);
    SiteApp app(application);
    return app.InitInstance();
}
