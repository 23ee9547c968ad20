#include "CaseFile.h"
#include "IniDocument.h"
#include "SiteStore.h"
#include "TempRegister.h"

// Register files damaged or written by other tools: loading never crashes or hangs, the
// readable records still load, and what was loaded can be written back.
namespace {

const QByteArray kGoodFile = "[DATA]\r\nNAME=good\r\nURL=http://example.jp/\r\nKEY1=k\r\nKEY2=\r\nKEY3=\r\nINDATA=c\r\n";

// The rows of bad_input.tsv of one kind, the kind taken off.
std::vector<CaseRow> rowsOf(const QByteArray &kind)
{
    std::vector<CaseRow> rows;
    for (CaseRow &row : ReadCaseRows(QStringLiteral(TEST_DATA "/bad_input.tsv"))) {
        if (row.fields.takeFirst() == kind)
            rows.push_back(row);
    }
    return rows;
}

TEST(BadDataFile, loadsTheRestAndIsWrittenBack)
{
    for (const CaseRow &c : rowsOf("file")) { // what it is, data2.ini between two good files, a field and its value
        SCOPED_TRACE(c.fields[0].toStdString());
        TempRegister reg;
        reg.write(QStringLiteral("setting.ini"), "[SETTING]\r\nDATA_CNT=3\r\n");
        reg.write(QStringLiteral("data1.ini"), kGoodFile);
        reg.write(QStringLiteral("data2.ini"), CaseField(c.fields[1]));
        reg.write(QStringLiteral("data3.ini"), kGoodFile);

        SiteStore store;
        const IoResult loaded = store.Load();
        ASSERT_TRUE(loaded) << loaded.describe().toStdString();
        ASSERT_EQ(store.m_sites.size(), 3u);
        const SiteRecord good = MakeRecord("good", "http://example.jp/", "k", "", "", "c");
        EXPECT_EQ(store.m_sites.at(0), good);
        EXPECT_EQ(store.m_sites.at(2), good);
        if (const qsizetype key = c.fields.size() > 2 ? std::find(kRecordKeys, kRecordKeys + 6, c.fields[2]) - kRecordKeys : 6; key < 6) {
            const QByteArray &actual = store.m_sites.at(1).*kRecordFields[key];
            EXPECT_TRUE(actual == CaseField(c.fields.value(3))) << actual.size() << " bytes: " << actual.left(80).toHex().toStdString();
        }
        // What was loaded is written back and loads the same.
        SiteRecord changed = store.m_sites.at(1);
        changed.SetKeyword3("changed");
        const OperationResult updated = FolderFiles(reg.path()).files.update(2, changed, store.m_sites.at(1));
        ASSERT_TRUE(updated.done()) << updated.io.describe().toStdString();
        store.m_sites.replace(1, changed);
        SiteStore again;
        ASSERT_TRUE(again.Load());
        EXPECT_TRUE(again.m_sites == store.m_sites);
    }
}

// Damaged files rewritten: every value reads the same from the rewritten file as from the
// damaged one (cases found by the fuzzer in fuzz/).
TEST(DamagedRewrite, readsTheSameAfterARewrite)
{
    for (const CaseRow &c : rowsOf("rewrite")) {
        SCOPED_TRACE(c.fields[0].toStdString());
        const QByteArray section = c.field(2), key = c.field(3);
        const IniDocument damaged = IniDocument::parse(c.field(1));
        const QByteArray expected = damaged.value(section, key, "<absent>");
        ASSERT_NE(expected, "<absent>");
        EXPECT_EQ(IniDocument::parse(damaged.serialize()).value(section, key, "<absent>"), expected)
            << damaged.serialize().toHex(' ').toStdString();
        IniDocument edited = damaged;
        edited.setValue(section, key, "new");
        EXPECT_EQ(IniDocument::parse(edited.serialize()).value(section, key), "new");
    }
}

TEST(BadInput, newNamesAreWrittenAsTheyAreLookedUp)
{
    IniDocument file;
    file.setValue("DA\x88", "KEY2", "v"); // a section named with a lone lead byte
    EXPECT_EQ(IniDocument::parse(file.serialize()).value("DA\x88", "KEY2"), "v");
    IniDocument blanks;
    blanks.setValue(" S\t", " K ", "v");
    EXPECT_EQ(blanks.value("S", "K"), "v");
    EXPECT_EQ(blanks.serialize(), "[S]\r\nK=v\r\n");
}

} // namespace
