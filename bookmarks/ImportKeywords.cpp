#include "ImportKeywords.h"

namespace {

constexpr int kKeywords = 3;

} // namespace

ChosenKeywords ChooseKeywords(const KeywordCandidates &candidates, const SharedFolders &shared, ImportKeywordOrder order)
{
    // The folders are nearest first: the outermost named one stands at depth 0.
    const int depth = int(candidates.folders.size()) + candidates.moreFolders;
    const auto sharedAt = [&](int fromTop) {
        return fromTop < shared.outermost || (shared.topFolders && candidates.inTopFolder && fromTop == 0);
    };
    std::vector<const KeywordSpellings::Spelling *> folders;
    for (std::size_t i = 0; i < candidates.folders.size(); ++i) {
        if (!sharedAt(depth - 1 - int(i)))
            folders.push_back(&candidates.folders[i]);
    }
    ChosenKeywords chosen;
    chosen.moreTags = candidates.moreTags;
    for (int fromTop = 0; fromTop < candidates.moreFolders; ++fromTop)
        chosen.moreFolders += sharedAt(fromTop) ? 0 : 1;
    chosen.droppedTags = chosen.moreTags;
    chosen.droppedFolders = chosen.moreFolders;

    int placed = 0;
    QStringList taken;
    const auto take = [&](const KeywordSpellings::Spelling &keyword, bool tag) {
        if (placed < kKeywords) {
            chosen.bytes[std::size_t(placed++)] = keyword.bytes;
            return;
        }
        chosen.dropped.append(keyword.text);
        ++(tag ? chosen.droppedTags : chosen.droppedFolders);
    };
    const auto takeTags = [&](bool placesToo) {
        for (const KeywordSpellings::Spelling &tag : candidates.tags) {
            if (tag.text.isEmpty() ? !placesToo || placed >= kKeywords : !placesToo && taken.contains(tag.text))
                continue;
            take(tag, true);
            taken.append(tag.text);
        }
    };
    const auto takeFolders = [&] {
        for (const KeywordSpellings::Spelling *folder : folders) {
            if (taken.contains(folder->text))
                continue;
            taken.append(folder->text);
            take(*folder, false);
        }
    };
    if (order == ImportKeywordOrder::TagsFirst) {
        takeTags(true);
        takeFolders();
    } else {
        takeFolders();
        takeTags(false);
    }
    return chosen;
}
