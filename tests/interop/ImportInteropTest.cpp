// Text from outside and typed text with characters Shift_JIS lacks, stored as references, against
// the Windows profile functions: the files are plain Shift_JIS, and Windows reads the same bytes.
#include "CodePage.h"
#include "ImportPlan.h"
#include "InteropSupport.h"
#include "ProfileOracle.h"
#include "SiteEntry.h"
#include "TempRegister.h"

namespace {

using ImportInterop = OracleTest;

TEST_F(ImportInterop, importedAndTypedCharactersOutsideShiftJisReadBackThroughTheProfileFunctions)
{
    const BookmarkImport import = PlanBookmarkFileImport(QStringLiteral(SITEKANRI_BOOKMARK_FILES "/hostile.html"), {});
    ASSERT_TRUE(import.read.ok);
    std::vector<SiteRecord> records = import.plan.records;
    SiteRecord typed;
    ASSERT_TRUE(EncodeSiteFields({QStringLiteral("Café 🍣 <b>"), QStringLiteral("https://例え.jp/パス"),
                                  QStringLiteral("한국어"), {}, {}, QStringLiteral("Straße")},
                                 typed)
                    .isEmpty());
    records.push_back(typed);
    std::vector<std::string> labels;
    for (const SiteRecord &record : records) {
        labels.push_back(::testing::PrintToString(record.m_name));
        for (const RecordField field : kRecordFields) {
            QByteArray again;
            EXPECT_TRUE(CodePage::fromText(CodePage::toText(record.*field), again) && again == record.*field)
                << "not Shift_JIS: " << ::testing::PrintToString(record.*field);
        }
    }
    WriteRegister(dir(QStringLiteral("ours")), records);
    const ProfileOracle::Load windows = ProfileOracle::load(dir(QStringLiteral("ours")));
    ASSERT_TRUE(windows.ok) << windows.error.toStdString();
    ExpectSameRecords(windows.records, records, labels, "Windows reads the import");
}

} // namespace
