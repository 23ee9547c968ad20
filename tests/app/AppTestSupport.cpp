#include "AppTestSupport.h"

#include "DialogTemplate.h"
#include "SiteStore.h"

#include <QApplication>
#include <QInputMethodEvent>

void SaveRegister(const std::vector<SiteRecord> &records)
{
    SiteStore store;
    for (const SiteRecord &record : records)
        store.m_sites.push_back(record);
    ASSERT_TRUE(store.Save()) << store.Save().describe().toStdString();
}

SiteList LoadRegister()
{
    SiteStore store;
    EXPECT_TRUE(store.Load());
    return store.m_sites;
}

std::vector<QString> RegistrationFields(const MainDialog &dialog)
{
    std::vector<QString> fields;
    for (int id : {ControlId::SiteName, ControlId::SiteUrl, ControlId::Keyword1, ControlId::Keyword2,
                   ControlId::Keyword3, ControlId::Content})
        fields.push_back(dialog.ItemText(id));
    return fields;
}

void TypeText(QWidget *field, const QString &text)
{
    auto isKey = [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7f; };
    for (qsizetype i = 0; i < text.size();) {
        if (isKey(text[i])) {
            QTest::keyClick(field, char(text[i].unicode()));
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && !isKey(text[end]))
            ++end;
        QInputMethodEvent commit;
        commit.setCommitString(text.mid(i, end - i));
        QApplication::sendEvent(field, &commit);
        i = end;
    }
}
