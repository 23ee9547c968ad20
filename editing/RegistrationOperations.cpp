#include "RegistrationOperations.h"

#include "CodePage.h"
#include "EditingText.h"
#include "RegistrationEdges.h"
#include "ShownText.h"
#include "SiteEntry.h"
#include "SiteRegister.h"
#include "UndoHistory.h"

#include <algorithm>

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

namespace {

// A delete question names this many sites at most, then counts the rest.
constexpr std::size_t kNamesAsked = 5;

// As the list shows it: a person reads the name, not its markup.
QString nameOf(const SiteRecord &record)
{
    return ShownName(record);
}

} // namespace

void RegistrationOperations::UpdateSite()
{
    const SeenRecord shown = m_edges.ShownRecord();
    if (shown.number == 0)
        return;
    // Refused before the question: the user should not confirm a change that cannot be made.
    SiteRecord record;
    if (!acceptFields(record) || !writable())
        return;
    if (!m_edges.AskYesNo(EditingText::tr("%1を変更しても宜しいですか？").arg(nameOf(shown.seen))))
        return;
    // Against the record as the user saw it: whatever another program did meanwhile, even while
    // the question was open, is never written over.
    const OperationResult result = m_history ? m_history->update(shown.number, record, shown.seen)
                                             : m_register.update(shown.number, record, shown.seen);
    if (result.done())
        m_edges.KeepTypedFor(shown.number); // what the fields hold is now what is stored
    else
        reportStaleUpdate(result, shown, record);
}

void RegistrationOperations::reportStaleUpdate(const OperationResult &result, const SeenRecord &shown,
                                               const SiteRecord &record)
{
    const QString name = nameOf(shown.seen);
    if (result.status == OperationStatus::RemovedElsewhere) {
        m_edges.ShowMessage(EditingText::tr("「%1」は他のプログラムで削除されていたため、更新しませんでした。\n"
                                              "入力した内容はそのまま残っています。")
                                .arg(name));
        return;
    }
    if (result.status != OperationStatus::ChangedElsewhere) {
        report(result);
        return;
    }
    const QString told = EditingText::tr("「%1」は他のプログラムで変更されていたため、更新しませんでした。").arg(name);
    // Nothing typed to keep: the fields simply show the site as it is now.
    if (record == shown.seen) {
        m_edges.ShowMessage(told);
        m_edges.ShowRecord(shown.number);
        return;
    }
    const bool keep = m_edges.AskYesNo(told + EditingText::tr("\n入力した内容を残して、変更後のサイトにもう一度「更新」できるようにしますか？\n"
                                                                "（いいえ：他のプログラムが変更した内容を表示します）"));
    keep ? m_edges.KeepTypedFor(shown.number) : m_edges.ShowRecord(shown.number);
}

QString RegistrationOperations::deleteQuestion(const std::vector<SeenRecord> &chosen)
{
    if (chosen.size() == 1)
        return EditingText::tr("%1を削除しても宜しいですか？").arg(nameOf(chosen.front().seen));
    QString question = EditingText::tr("%1 件のサイトを削除しても宜しいですか？").arg(chosen.size());
    for (std::size_t i = 0; i < std::min(kNamesAsked, chosen.size()); ++i)
        question += EditingText::tr("\n・%1").arg(nameOf(chosen[i].seen));
    if (chosen.size() > kNamesAsked)
        question += EditingText::tr("\nほか %1 件").arg(chosen.size() - kNamesAsked);
    return question;
}

void RegistrationOperations::DeleteSite()
{
    const std::vector<SeenRecord> chosen = m_edges.ChosenRecords();
    if (chosen.empty() || !writable())
        return;
    // A site the list does not show (the fields' one, which a search hides) is seldom the one
    // the user means to delete: the question says so, and Enter keeps it.
    if (chosen.size() == 1 && !m_edges.IsRecordListed(chosen.front().number)) {
        if (!m_edges.AskYesNoDefaultNo(deleteQuestion(chosen) + EditingText::tr("\nこのサイトは検索や絞り込みのため一覧に表示されていません。")))
            return;
    } else if (!m_edges.AskYesNo(deleteQuestion(chosen))) {
        return;
    }
    std::vector<std::pair<int, SiteRecord>> seen;
    seen.reserve(chosen.size());
    for (const SeenRecord &entry : chosen)
        seen.emplace_back(entry.number, entry.seen);
    const OperationResult result = m_history ? m_history->removeMany(seen) : m_register.removeMany(seen);
    if (result.done() || result.status == OperationStatus::RemovedElsewhere) {
        // The row that took the first one's place is current (or the new last).
        const int rows = int(m_register.sites().size());
        const int place = int(m_register.sites().insertionPoint(chosen.front().number));
        m_edges.SelectSiteRow(place < rows ? place : rows - 1);
    }
    if (result.done())
        return;
    if (result.status != OperationStatus::ChangedElsewhere && result.status != OperationStatus::RemovedElsewhere) {
        report(result);
        return;
    }
    QString name;
    for (const SeenRecord &entry : chosen) {
        if (entry.number == result.number)
            name = nameOf(entry.seen);
    }
    const bool changed = result.status == OperationStatus::ChangedElsewhere;
    if (!changed && chosen.size() == 1) {
        m_edges.ShowMessage(EditingText::tr("「%1」は他のプログラムで既に削除されていました。").arg(name));
        return;
    }
    const QString what = changed ? EditingText::tr("「%1」は他のプログラムで変更されていたため、")
                                 : EditingText::tr("「%1」は他のプログラムで削除されていたため、");
    m_edges.ShowMessage(what.arg(name)
                        + (chosen.size() == 1 ? EditingText::tr("削除しませんでした。")
                                              : EditingText::tr("どのサイトも削除しませんでした。")));
}

bool RegistrationOperations::acceptSameSite(const SiteRecord &record)
{
    const long long position = m_register.sites().positionOf(m_edges.FindSameSite(record.GetUrl()));
    if (position < 0)
        return true;
    const SiteRecord &registered = m_register.sites().at(std::size_t(position));
    // A site registered twice is seldom meant: Enter must not make one.
    return m_edges.AskYesNoDefaultNo(EditingText::tr("このURLのサイトは既に登録されています：\n%1\n%2\nもう一度登録しても宜しいですか？")
                                .arg(nameOf(registered), CodePage::urlToDisplayText(registered.GetUrl())));
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
        return EditingText::tr("登録件数のファイルが壊れているため、変更できません。\n%1\n"
                               "「sitekanri-cli repair」で件数を直してから、もう一度お試しください。")
            .arg(settingPath);
    case OperationStatus::ChangedElsewhere:
        return EditingText::tr("このサイトは他のプログラムで変更されていました。一覧を更新しました。");
    case OperationStatus::RemovedElsewhere:
        return EditingText::tr("このサイトは他のプログラムで削除されていました。一覧を更新しました。");
    case OperationStatus::Busy:
        return EditingText::tr("他のプログラムが登録データを使用中のため、保存できませんでした。\n%1"
                               "しばらくしてから、もう一度お試しください。")
            .arg(where);
    case OperationStatus::Failed:
        break;
    }
    return EditingText::tr("データを保存できませんでした。\n%1%2").arg(where, result.io.reason);
}

QString NamedSitesMessage(const QString &head, const QStringList &names)
{
    constexpr int kNamesShown = 10;
    QString message = head;
    for (int i = 0; i < std::min<int>(kNamesShown, int(names.size())); ++i)
        message += EditingText::tr("\n「%1」").arg(names[i]);
    if (names.size() > kNamesShown)
        message += EditingText::tr("\nほか %1 件").arg(names.size() - kNamesShown);
    return message;
}
