#include "KeywordTally.h"

#include "CodePage.h"
#include "SiteList.h"
#include "SiteSort.h"
#include "TextFolding.h"

#include <QHash>

#include <algorithm>

QString KeywordKey(const QString &keyword)
{
    return keyword.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

std::vector<KeywordCount> CountKeywords(const SiteList &sites)
{
    std::vector<KeywordCount> counts;
    QHash<QByteArray, std::size_t> at;
    const auto take = [&](const QByteArray &keyword) {
        if (keyword.isEmpty())
            return;
        auto found = at.constFind(keyword);
        if (found == at.constEnd()) {
            found = at.insert(keyword, counts.size());
            counts.push_back({keyword, 0, {}});
        }
        ++counts[*found].sites;
    };
    for (const SiteRecord &site : sites) {
        take(site.GetKeyword1());
        if (site.GetKeyword2() != site.GetKeyword1())
            take(site.GetKeyword2());
        if (site.GetKeyword3() != site.GetKeyword1() && site.GetKeyword3() != site.GetKeyword2())
            take(site.GetKeyword3());
    }
    // Few keywords against many sites: each is decoded and keyed once.
    QHash<QString, std::vector<std::size_t>> byKey;
    for (std::size_t i = 0; i < counts.size(); ++i)
        byKey[KeywordKey(CodePage::toTypedText(counts[i].keyword))].push_back(i);
    for (const std::vector<std::size_t> &group : std::as_const(byKey)) {
        for (const std::size_t i : group) {
            for (const std::size_t other : group) {
                if (other != i)
                    counts[i].alike.push_back(counts[other].keyword);
            }
        }
    }
    return counts;
}

void SortKeywords(std::vector<KeywordCount> &keywords, KeywordOrder order)
{
    std::vector<QString> folded;
    folded.reserve(keywords.size());
    for (const KeywordCount &keyword : keywords)
        folded.push_back(TextFolding::fold(CodePage::toTypedText(keyword.keyword)));
    std::vector<KeywordCount> sorted;
    sorted.reserve(keywords.size());
    for (const int i : SortedTexts(std::vector<QStringView>(folded.begin(), folded.end()), Qt::AscendingOrder))
        sorted.push_back(std::move(keywords[std::size_t(i)]));
    if (order == KeywordOrder::Count)
        std::stable_sort(sorted.begin(), sorted.end(), [](const KeywordCount &a, const KeywordCount &b) { return a.sites > b.sites; });
    keywords = std::move(sorted);
}
