#include "SiteEntry.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

// Typed without a scheme: stored as the browser opens it. Written out in full, or beyond rescue:
// stored as typed (never as host "http").
TEST(CompleteSiteUrl, completesWhatTheAddressBarCompletesAndNothingElse)
{
    for (auto [typed, stored] : {std::pair{"close.example.jp", "http://close.example.jp"},
                                 std::pair{" 例え.jp/日記?q=1 ", "http://例え.jp/日記?q=1"},
                                 std::pair{"/tmp/a.html", "file:///tmp/a.html"},
                                 std::pair{" http://exa mple.jp/", " http://exa mple.jp/"},
                                 std::pair{"mailto:a@example.jp", "mailto:a@example.jp"},
                                 std::pair{"ア イ", "ア イ"}}) {
        SiteFields fields;
        fields.url = QString::fromUtf8(typed);
        EXPECT_EQ(CompleteSiteUrl(fields), std::string_view(typed) != stored) << typed;
        EXPECT_EQ(fields.url, QString::fromUtf8(stored)) << typed;
    }
}

} // namespace
