#include "SiteEntry.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// An address typed without a scheme is stored as the browser would open it; anything written out
// in full, or beyond rescue, is stored as typed.
TEST(CompleteSiteUrl, completesWhatTheAddressBarCompletesAndNothingElse)
{
    const struct
    {
        const char *typed;
        const char *stored;
    } cases[] = {
        {"close.example.jp", "http://close.example.jp"},
        {"  www.example.jp/a?b=c ", "http://www.example.jp/a?b=c"},
        {"例え.jp/日記#今日", "http://例え.jp/日記#今日"},
        {"/tmp/サイト/index.html", "file:///tmp/サイト/index.html"},
        {"http://example.jp/", "http://example.jp/"},
        {"HTTPS://example.jp", "HTTPS://example.jp"},
        // A malformed address written out in full, blank or not, never becomes host "http".
        {"http://exa mple.jp/", "http://exa mple.jp/"},
        {" http://exa mple.jp/", " http://exa mple.jp/"},
        {"mailto:someone@example.jp", "mailto:someone@example.jp"},
        {"ア イ", "ア イ"},
        {"   ", "   "},
    };
    for (const auto &c : cases) {
        SiteFields fields;
        fields.url = QString::fromUtf8(c.typed);
        EXPECT_EQ(CompleteSiteUrl(fields), std::strcmp(c.typed, c.stored) != 0) << c.typed;
        EXPECT_EQ(fields.url, QString::fromUtf8(c.stored)) << c.typed;
    }
}

} // namespace
