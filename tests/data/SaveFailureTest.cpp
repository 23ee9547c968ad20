// Saving a file for a person: whole or not at all, and why not in words.
#include "SaveFailure.h"
#include "TempRegister.h"

#include <gtest/gtest.h>

namespace {

TEST(SaveWhole, aFailedSaveSaysWhyInEitherWordingAndLeavesNothing)
{
    TempRegister dir;
    dir.write(QStringLiteral("file"), "old");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    using W = SaveWording;
    const struct { QString name; W wording; const char *reason; } failures[] = {
        {QStringLiteral("missing/a.txt"), W::Reason, "ファイルまたはフォルダーが見つかりません"},
        {QStringLiteral("file/a.txt"), W::Reason, "フォルダーではありません"},
        {QString(300, u'x'), W::Reason, "名前が長すぎます"},
        {QStringLiteral("missing/a.txt"), W::Sentence, "保存先のフォルダーがありません。"},
        {QStringLiteral("file/a.txt"), W::Sentence, "保存先のフォルダーがありません。"},
        {QStringLiteral("folder"), W::Sentence, "同じ名前のフォルダーがあります。"},
        {QString(300, u'x'), W::Sentence, "ファイルを書き込めませんでした。（File name too long）"},
    };
    for (const auto &f : failures) {
        const IoResult saved = SaveWhole(dir.file(f.name), QByteArray("new"), f.wording);
        EXPECT_FALSE(saved.ok) << qPrintable(f.name);
        EXPECT_EQ(saved.file, dir.file(f.name));
        EXPECT_EQ(saved.reason, QString::fromUtf8(f.reason)) << qPrintable(f.name) << int(f.wording);
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
