#include "BenchRegister.h"

#include "AppDirectory.h"
#include "CodePage.h"
#include "IniDocument.h"
#include "RegisterFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <random>

namespace {

const char *const kNameParts[] = {"株式会社", "サイト", "ブログ", "日記", "ニュース", "写真館", "研究所", "ｼｮｯﾌﾟ",
                                  "情報", "まとめ", "料理", "旅行", "ゲーム", "音楽", "技術", "図書館"};
const char *const kWords[] = {"東京", "大阪", "趣味", "仕事", "リンク", "お気に入り", "ﾆｭｰｽ", "写真", "地図", "辞書"};

QByteArray sjis(const char *utf8)
{
    return CodePage::fromKnownText(QString::fromUtf8(utf8));
}

} // namespace

SiteList MakeBenchSites(int count, int keywordPool, unsigned seed)
{
    std::mt19937 random(seed);
    auto pick = [&random](int n) { return int(random() % unsigned(n)); };
    std::vector<QByteArray> keywords;
    for (int i = 0; i < keywordPool; ++i)
        keywords.push_back(sjis(kWords[i % 10]) + QByteArray::number(i));

    SiteList sites;
    sites.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        SiteRecord record;
        record.SetName(sjis(kNameParts[pick(16)]) + sjis(kNameParts[pick(16)]) + QByteArray::number(i));
        record.SetUrl("https://www.example" + QByteArray::number(pick(5000)) + ".jp/page/" + QByteArray::number(i) + "/");
        record.SetKeyword1(keywords[std::size_t(pick(keywordPool))]);
        record.SetKeyword2(pick(3) ? keywords[std::size_t(pick(keywordPool))] : QByteArray());
        record.SetKeyword3(pick(3) == 0 ? keywords[std::size_t(pick(keywordPool))] : QByteArray());
        const int contentBytes = 20 + pick(181);
        QByteArray content;
        while (content.size() < contentBytes)
            content += sjis(kNameParts[pick(16)]);
        record.SetContent(content.left(contentBytes & ~1));
        sites.push_back(record);
    }
    return sites;
}

BenchRegister::BenchRegister(int count)
{
    SetAppDirectory(m_dir.path());
    // Written plainly: flushing a hundred thousand files would only slow the set-up.
    const SiteList sites = MakeBenchSites(count);
    const auto write = [this](const QString &name, const QByteArray &bytes) {
        QFile file(QDir(m_dir.path()).filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("could not write the benchmark register");
    };
    for (std::size_t i = 0; i < sites.size(); ++i) {
        IniDocument file;
        sites.at(i).WriteTo(file);
        write(DataFileName(int(i) + 1), file.serialize());
    }
    write(QStringLiteral("setting.ini"), "[SETTING]\r\nDATA_CNT=" + QByteArray::number(count) + "\r\n");
}

BenchRegister::~BenchRegister()
{
    SetAppDirectory(QString());
}

qint64 BenchRegister::contentBytes() const
{
    qint64 total = 0;
    const QFileInfoList files = QDir(m_dir.path()).entryInfoList(QDir::Files);
    for (const QFileInfo &file : files)
        total += file.size();
    return total;
}

int RunBenchmarks(int &argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
