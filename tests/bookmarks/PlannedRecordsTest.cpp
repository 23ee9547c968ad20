// The planned records hold names and contents in a smaller form of their own: every record comes
// back byte for byte, even one holding the bytes that form uses for itself.
#include "PlannedRecords.h"

#include <gtest/gtest.h>

TEST(PlannedRecords, giveBackEveryRecordAsItWasGiven)
{
    const QByteArray texts[] = {
        "",
        "A &amp; B &lt;b&gt; &quot;q&quot;",
        "&#233; &amp;#233; &amp &am; &;",  // references and look-alikes that are no escape
        "\x01\x02\x03\x04\x05 &amp;\x05",  // the form's own codes, and its prefix last
        "\x83\x65\x83\x58\x83\x67&amp;\x81\x60", // CP932 double-byte characters
    };
    PlannedRecords planned;
    std::vector<SiteRecord> given;
    for (const QByteArray &text : texts) {
        SiteRecord record;
        record.m_name = text;
        record.m_content = text + text;
        record.m_url = "https://a.example/?" + text;
        record.m_keyword2 = text;
        planned.push_back(record);
        given.push_back(record);
    }
    ASSERT_EQ(planned.size(), given.size());
    std::size_t i = 0;
    for (const SiteRecord &record : planned) {
        EXPECT_EQ(record, given[i]) << i;
        ++i;
    }
}
