#include "SiteApp.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    SiteApp app(application);
    return app.InitInstance();
}
