#include "RegistrationOperations.h"

#include "CodePage.h"
#include "RegistrationEdges.h"
#include "SiteEntry.h"
#include "SiteRegister.h"
#include "UndoHistory.h"

RegistrationOperations::RegistrationOperations(SiteRegister &siteRegister, RegistrationEdges &edges,
                                               UndoHistory *history)
    : m_register(siteRegister), m_edges(edges), m_history(history)
{
}

bool RegistrationOperations::acceptFields(SiteRecord &record)
{
    SiteFields fields = m_edges.ReadSiteFields();
    FieldRefusal refused = CheckRequiredFields(fields);
    if (refused.isEmpty()) {
        if (CompleteSiteUrl(fields))
            m_edges.SetFieldText(SiteFieldId::Url, fields.url);
        refused = EncodeSiteFields(fields, record);
    }
    if (refused.isEmpty())
        return true;
    m_edges.ShowMessage(refused.message);
    m_edges.FocusField(refused.field);
    return false;
}

void RegistrationOperations::RegisterNewSite()
{
    SiteRecord record;
    if (!acceptFields(record) || !writable() || !acceptSameSite(record))
        return;
    const OperationResult result = m_history ? m_history->add(record) : m_register.add(record);
    if (report(result))
        m_edges.SelectSiteRow(int(m_register.sites().positionOf(result.number)));
}

void RegistrationOperations::UpdateSite()
{
    const int position = currentPosition();
    if (position < 0)
        return;
    // Refused before the question: the user should not confirm a change that cannot be made.
    SiteRecord record;
    if (!acceptFields(record))
        return;
    if (!writable() || !confirm(position, "%1を変更しても宜しいですか？"))
        return;
    const int number = m_register.sites().number(std::size_t(position));
    report(m_history ? m_history->update(number, record) : m_register.update(number, record));
}

void RegistrationOperations::DeleteSite()
{
    const int position = currentPosition();
    if (position < 0 || !writable() || !confirm(position, "%1を削除しても宜しいですか？"))
        return;
    const int number = m_register.sites().number(std::size_t(position));
    const OperationResult result = m_history ? m_history->remove(number) : m_register.remove(number);
    report(result);
    // Whether removed here or elsewhere, the row that took its place is current (or the new last).
    const int rows = int(m_register.sites().size());
    if (result.done() || result.status == OperationStatus::RemovedElsewhere)
        m_edges.SelectSiteRow(position < rows ? position : rows - 1);
}

int RegistrationOperations::currentPosition() const
{
    // A row the list does not have is treated as no row: acting on it would throw.
    const int row = m_edges.GetSelectedSiteRow();
    return row >= 0 && std::size_t(row) < m_register.sites().size() ? row : -1;
}

bool RegistrationOperations::confirm(int position, const char *pattern)
{
    const QString storedName = CodePage::toText(m_register.sites().at(std::size_t(position)).GetName());
    return m_edges.AskYesNo(QString::fromUtf8(pattern).arg(storedName));
}

bool RegistrationOperations::acceptSameSite(const SiteRecord &record)
{
    const long long position = m_register.sites().positionOf(m_edges.FindSameSite(record.GetUrl()));
    if (position < 0)
        return true;
    const SiteRecord &registered = m_register.sites().at(std::size_t(position));
    return m_edges.AskYesNo(QString::fromUtf8("このURLのサイトは既に登録されています：\n%1\n%2\nもう一度登録しても宜しいですか？")
                                .arg(CodePage::toText(registered.GetName()), CodePage::toText(registered.GetUrl())));
}

bool RegistrationOperations::writable()
{
    if (!m_register.isDamaged())
        return true;
    m_edges.ShowMessage(OperationMessage({OperationStatus::Damaged, 0, {}}, m_register.settingPath()));
    return false;
}

bool RegistrationOperations::report(const OperationResult &result)
{
    if (result.done())
        return true;
    m_edges.ShowMessage(OperationMessage(result, m_register.settingPath()));
    return false;
}

QString OperationMessage(const OperationResult &result, const QString &settingPath)
{
    const QString where = result.io.file.isEmpty() ? QString() : result.io.file + QLatin1Char('\n');
    switch (result.status) {
    case OperationStatus::Done:
        return {};
    case OperationStatus::Damaged:
        return QString::fromUtf8("登録件数のファイルが壊れているため、変更できません。\n") + settingPath
            + QString::fromUtf8("\n「sitekanri-cli repair」で件数を直してから、もう一度お試しください。");
    case OperationStatus::ChangedElsewhere:
        return QString::fromUtf8("このサイトは他のプログラムで変更されていました。一覧を更新しました。");
    case OperationStatus::RemovedElsewhere:
        return QString::fromUtf8("このサイトは他のプログラムで削除されていました。一覧を更新しました。");
    case OperationStatus::Busy:
        return QString::fromUtf8("他のプログラムが登録データを使用中のため、保存できませんでした。\n") + where
            + QString::fromUtf8("しばらくしてから、もう一度お試しください。");
    case OperationStatus::Failed:
        break;
    }
    return QString::fromUtf8("データを保存できませんでした。\n") + where + result.io.reason;
}
