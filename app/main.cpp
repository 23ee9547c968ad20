#include "SiteApp.h"
#include "TextLocale.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    // Answered before any window or display is needed.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("サイト管理 sitekanri " SITEKANRI_VERSION);
        return 0;
    }
    EnsureUtf8TextLocale();
    QApplication application(argc, argv);
    SiteApp app(application);
    return app.InitInstance();
}
