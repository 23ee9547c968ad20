#include "CliArguments.h"

#include "CliText.h"

#include <QCommandLineParser>
#include <QStringList>

#include <cstring>

QString CliParseError(const QCommandLineParser &parser)
{
    if (!parser.unknownOptionNames().isEmpty())
        return CliText::tr("知らないオプションです: ") + parser.unknownOptionNames().join(QStringLiteral(", "));
    const QString said = parser.errorText();
    const qsizetype open = said.indexOf(u'\'');
    const QString option = said.mid(open + 1, said.lastIndexOf(u'\'') - open - 1);
    if (said.startsWith(QLatin1String("Missing value")))
        return option + CliText::tr(" の後に値がありません");
    if (said.startsWith(QLatin1String("Unexpected value")))
        return option + CliText::tr(" は値をとりません");
    return CliText::tr("オプションを読み取れません: ") + option;
}

QByteArray CliRawDirectory(int argc, char *argv[])
{
    QByteArray value;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--")
            break;
        for (const char *name : {"--dir", "-dir"}) {
            if (argument == name && i + 1 < argc)
                value = argv[++i];
            else if (argument.startsWith(QByteArray(name) + '='))
                value = argument.mid(qsizetype(std::strlen(name)) + 1);
        }
    }
    return value;
}
