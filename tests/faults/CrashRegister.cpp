#include "CrashRegister.h"

#include "CodePage.h"
#include "IniDocument.h"

#include <QString>

namespace CrashRegister {

namespace {

QByteArray sjis(const QString &text)
{
    return CodePage::fromKnownText(text);
}

// The version of record `position` in `generation`: the generation that last changed it.
int version(int generation, int position)
{
    switch (generation % 4) {
    case 1:
        return position < kBaseRecords ? generation - 1 : generation; // appended
    case 3:
        return position % 97 == 0 ? generation : generation - 1; // a few edited
    default:
        return generation; // all rewritten
    }
}

SiteRecord record(int position, int version)
{
    static const char *const keywords[] = {"検索", "ニュース", "天気", "地図", "辞書", "買い物"};
    const QString n = QString::number(position);
    const QString v = QString::number(version);
    SiteRecord r;
    r.m_name = sjis(QStringLiteral("サイト%1 第%2版").arg(n, v));
    r.m_url = sjis(QStringLiteral("http://example.jp/%1/%2").arg(n, v));
    r.m_keyword1 = sjis(QString::fromUtf8(keywords[position % 6]));
    r.m_keyword2 = sjis(QString::fromUtf8(keywords[(position + version) % 6]));
    r.m_keyword3 = version % 2 ? QByteArray() : sjis(QStringLiteral("  版%1  ").arg(v)); // written quoted
    r.m_content = sjis(QStringLiteral("%1番目のサイトの説明、版%2。").arg(n, v).repeated(1 + position % 5));
    return r;
}

} // namespace

SiteList Generation(int generation)
{
    const int count = generation % 4 == 1 ? kBaseRecords + 40 : kBaseRecords;
    SiteList list;
    list.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i)
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
