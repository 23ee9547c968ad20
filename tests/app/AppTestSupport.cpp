#include "AppTestSupport.h"

#include "SiteEntry.h"

#include <QInputMethodEvent>

const QString kCaption = QString::fromUtf8("サイト管理[ヴァントレル]");

std::vector<SiteRecord> ThreeSites()
{
    return {MakeRecord("ちくわ通信", "http://chikuwa.example.jp/", "食べ物", "ﾚｼﾋﾟ", "", "練り物の話"),
            MakeRecord("Abc 日記", "http://abc.example.jp/", "日記", "", "趣味", ""),
            MakeRecord("わたしのリンク", "https://link.example.jp/", "", "", "", "内容だけ")};
}

const std::vector<int> kFieldIds = {ControlId::SiteName, ControlId::SiteUrl,  ControlId::Keyword1,
                          ControlId::Keyword2, ControlId::Keyword3, ControlId::Content};

std::vector<QString> RegistrationFields(const MainDialog &dialog)
{
    std::vector<QString> fields;
    for (int id : kFieldIds)
        fields.push_back(dialog.ItemText(id));
    return fields;
}

std::vector<QString> FieldTexts(const SiteRecord &record)
{
    const SiteFields f = DecodeSiteFields(record);
    return {f.name, f.url, f.keyword1, f.keyword2, f.keyword3, f.content};
}

RecordingMessageBoxes::Shown Message(const char *utf8) { return {kCaption, QString::fromUtf8(utf8), false}; }
RecordingMessageBoxes::Shown Question(const char *utf8) { return {kCaption, QString::fromUtf8(utf8), true}; }

void TypeText(QWidget *field, const QString &text)
{
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(field, &commit);
}

void ClickHeader(QHeaderView *header, int column)
{
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(column) + 4, header->height() / 2));
}
