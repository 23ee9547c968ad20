#include "TextLocale.h"

#include <QByteArray>
#include <QtGlobal>

#include <clocale>
#include <cstring>
#include <langinfo.h>

void EnsureUtf8TextLocale()
{
    std::setlocale(LC_ALL, "");
    const char *codeset = nl_langinfo(CODESET);
    if (codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0))
        return;
    // Only the character type: messages, numbers and dates keep whatever the user chose. LC_ALL
    // overrides every category, so where it is set it must carry the change itself.
    qputenv(qEnvironmentVariableIsEmpty("LC_ALL") ? "LC_CTYPE" : "LC_ALL", QByteArrayLiteral("C.UTF-8"));
    std::setlocale(LC_ALL, "");
}
