#include "CrashRegister.h"

#include "CodePage.h"
#include "IniDocument.h"

#include <QString>

namespace CrashRegister {

namespace {

// The version of record `position` in `generation`: the generation that last changed it.
int version(int generation, int position)
{
    if (generation % 4 == 1)
        return position < kBaseRecords ? generation - 1 : generation; // appended
    if (generation % 4 == 3)
        return position % 97 == 0 ? generation : generation - 1; // a few edited
    return generation; // all rewritten
}

SiteRecord record(int position, int version)
{
    static const char *const keywords[] = {"検索", "ニュース", "天気", "地図", "辞書", "買い物"};
    const QString n = QString::number(position), v = QString::number(version);
    SiteRecord r;
    r.m_name = CodePage::fromKnownText(QStringLiteral("サイト%1 第%2版").arg(n, v));
    r.m_url = CodePage::fromKnownText(QStringLiteral("http://example.jp/%1/%2").arg(n, v));
    r.m_keyword1 = CodePage::fromKnownText(QString::fromUtf8(keywords[position % 6]));
    r.m_keyword2 = CodePage::fromKnownText(QString::fromUtf8(keywords[(position + version) % 6]));
    // Blanks at the ends are written quoted.
    r.m_keyword3 = version % 2 ? QByteArray() : CodePage::fromKnownText(QStringLiteral("  版%1  ").arg(v));
    r.m_content = CodePage::fromKnownText(QStringLiteral("%1番目のサイトの説明、版%2。").arg(n, v).repeated(1 + position % 5));
    return r;
}

} // namespace

SiteList Generation(int generation)
{
    SiteList list;
    for (int i = 0, count = generation % 4 == 1 ? kBaseRecords + 40 : kBaseRecords; i < count; ++i)
        list.push_back(record(i, version(generation, i)));
    return list;
}

QByteArray DataFileBytes(const SiteList &list, std::size_t position)
{
    IniDocument file;
    list.at(position).WriteTo(file);
    return file.serialize();
}

QByteArray SettingBytes(const SiteList &list)
{
    return "[SETTING]\r\nDATA_CNT=" + QByteArray::number(qulonglong(list.size())) + "\r\n";
}

} // namespace CrashRegister
