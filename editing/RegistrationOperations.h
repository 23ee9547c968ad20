#pragma once

#include "EditingText.h"

#include <QString>
#include <QStringList>

class RegistrationEdges;
class SiteRecord;
struct SeenRecord;
class SiteRegister;
class UndoHistory;
struct OperationResult;

// Registering, updating and deleting sites. Each operation is on disk when it returns, or has
// written nothing and says why; the fields keep what was typed either way.
class RegistrationOperations
{
public:
    // With `history`, every operation done can be undone there.
    RegistrationOperations(SiteRegister &siteRegister, RegistrationEdges &edges, UndoHistory *history = nullptr);

    // Adds the fields as a new site, which becomes the current row; refuses a missing name or URL
    // (the name is reported first) and text the register cannot hold. A URL of a site already
    // registered is asked about first, naming the site that has it.
    void RegisterNewSite();
    // Replaces the site the fields were filled from with the fields, once the user confirms;
    // refuses what registering refuses. The question names the site as stored, not as the fields
    // now say. A site another program changed or removed since the user saw it is left as that
    // program left it; the user is told, and chooses whether the typed text stays for another try.
    void UpdateSite();
    // Removes the chosen sites as one operation, once the user confirms (one question, naming how
    // many and the first few); the row that takes their place becomes current. All stay when any
    // of them was changed or removed elsewhere since the question.
    void DeleteSite();

private:
    // The fields as a record, their URL completed (and shown so); false when they are refused: the
    // reason has been shown and the user sent to the field it is about.
    bool acceptFields(SiteRecord &record);
    // Tells why an update of `shown` did not happen, and lets the user keep the typed `record`.
    void reportStaleUpdate(const OperationResult &result, const SeenRecord &shown, const SiteRecord &record);
    // The delete question: the one site by name, or how many and the first few.
    static QString deleteQuestion(const std::vector<SeenRecord> &chosen);
    // False, with the reason shown, when the register takes no writes.
    bool writable();
    // Shows why an operation was not done; true when it was.
    bool report(const OperationResult &result);
    // False when `record` leads to a site already registered and the user would not register
    // it again.
    bool acceptSameSite(const SiteRecord &record);

    SiteRegister &m_register;
    RegistrationEdges &m_edges;
    UndoHistory *m_history;
};

// What a person is told when an operation was not done; `settingPath` names the count's file.
QString OperationMessage(const OperationResult &result, const QString &settingPath);
// The head of a message naming the sites an operation of many left as another program had them.
inline QString LeftAsElsewhere()
{
    return EditingText::tr("次のサイトは他のプログラムで変更または削除されていたため、そのままにしました：");
}
// `head`, then the sites `names` one to a line, the first ten, and how many more there are.
QString NamedSitesMessage(const QString &head, const QStringList &names);
