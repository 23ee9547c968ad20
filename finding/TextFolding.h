#pragma once

#include <QString>
#include <QStringView>

// Text as a Japanese reader compares it when looking for something: full-width and half-width
// forms alike (ＡＢＣ = ABC, ﾆｭｰｽ = ニュース), hiragana and katakana alike (にゅーす = ニュース),
// letters without regard to case. Small kana stay small and the long-vowel mark stays itself:
// ぁ is not あ. Two texts are alike for searching and sorting when their folded forms are equal.
namespace TextFolding {

QString fold(QStringView text);

} // namespace TextFolding
