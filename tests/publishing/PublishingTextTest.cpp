// The publishing layer's words for people come through its door, PublishingText::tr().
#include "MarkerOptions.h"
#include "MarkingTranslator.h"
#include "PageEncoding.h"
#include "PageMarkers.h"
#include "Publication.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

TEST(PublishingText, messagesAreTranslatedAsWholesWithTheirValuesFilledIn)
{
    const MarkingTranslator translator("PublishingText");
    const struct { const char *what; std::function<QString()> message; const char *expected; } cases[] = {
        {"a value none of its values, the values translated too",
         [] { return ReadMarkerOptions(u" mode=\"x\"").refusal; },
         "[「mode」の値「x」は使えません（[name、content、name-and-content のどれか]）。]"},
        {"a marker's refusal with its line",
         [] { return FindMarkers("<p>\n<!-- /sitekanri -->\n", PageEncoding(PageEncoding::Kind::Utf8)).describeRefusal(); },
         "[2 行目: [<!-- /sitekanri --> の前に、対になる <!-- sitekanri --> がありません。]]"},
        {"an encoding the page cannot be written in", [] { return PageEncoding::detect(QByteArray("\xFF\xFE<\0p\0", 6)).refusal; },
         "[UTF-16 のページには書き込めません。]"},
        {"what a publish changed", [] { return DescribeChanges({1, 2, 3, 0}); }, "[追加 1、削除 2、変更 3]"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.message(), QString::fromUtf8(c.expected)) << c.what;
}

} // namespace
