// Saving a file for a person: whole or not at all, and why not in words.
#include "SaveFailure.h"
#include "TempRegister.h"

#include <gtest/gtest.h>

namespace {

TEST(SaveWhole, aFailedSaveNamesThePlaceAndWhyAndLeavesNothing)
{
    TempRegister dir;
    dir.write(QStringLiteral("file"), "old");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    const struct { QString name; const char *reason; } failures[] = {
        {QStringLiteral("missing/a.txt"), "保存先のフォルダーがありません。"},
        {QStringLiteral("file/a.txt"), "保存先のフォルダーがありません。"},
        {QStringLiteral("folder"), "同じ名前のフォルダーがあります。"},
        // No place is wrong by itself: the system's reason, in Japanese.
        {QString(300, u'x'), "名前が長すぎます"},
    };
    for (const auto &f : failures) {
        const IoResult saved = SaveWhole(dir.file(f.name), QByteArray("new"));
        EXPECT_FALSE(saved.ok) << qPrintable(f.name);
        EXPECT_EQ(saved.file, dir.file(f.name));
        EXPECT_EQ(saved.reason, QString::fromUtf8(f.reason)) << qPrintable(f.name);
    }
    EXPECT_EQ(TakeSnapshot(dir.path()), (Snapshot{{QStringLiteral("file"), "old"}, {QStringLiteral("folder"), "<directory>"}}));
}

TEST(SaveWhole, piecesAreSavedInOrderAndAStoppedWriteSavesNothing)
{
    TempRegister dir;
    const auto twoPieces = [](const auto &sink) { return sink("a") && sink("b"); };
    ASSERT_TRUE(SaveWhole(dir.file(QStringLiteral("ab")), twoPieces).ok);
    EXPECT_EQ(dir.read(QStringLiteral("ab")), "ab");

    dir.write(QStringLiteral("kept"), "old");
    const auto stopped = [](const auto &sink) { return sink("half") && false; };
    const IoResult saved = SaveWhole(dir.file(QStringLiteral("kept")), stopped);
    EXPECT_FALSE(saved.ok);
    EXPECT_FALSE(saved.reason.isEmpty());
    EXPECT_EQ(dir.read(QStringLiteral("kept")), "old");
}

} // namespace
