#include "CliSameSite.h"

#include "CliOutput.h"
#include "CliText.h"
#include "CodePage.h"
#include "RegisterFolder.h"
#include "SiteDigestNote.h"
#include "SiteIdentity.h"

// The note of the register's sites, which the add kept, answers without every record being read.
void WarnOfSameSite(RegisterFolder &folder, RegisterFiles &files, const OperationResult &added, const QByteArray &url)
{
    SiteDigestNote note(folder);
    if (!note.goodFor(added.changedAfter)) {
        // Another program changed the folder since: the register is read once, and noted anew. The
        // note is good for the folder's stamp only once the clock of changes has passed it: a
        // change in the same tick would leave the stamp as it was.
        const qint64 stamp = folder.changedAt();
        RegisterFolder::waitPast(stamp);
        const Reading<LoadedRegister> loaded = files.load();
        if (!loaded)
            return;
        note.rebuild(loaded.value.sites, loaded.value.changedAt == stamp ? stamp : -1);
    }
    const QString site = SiteIdentity(CodePage::toText(url));
    for (const int number : note.candidates(url, added.number)) {
        const Reading<std::optional<SiteRecord>> read = files.read(number);
        if (read && read.value && SiteIdentity(CodePage::toText(read.value->GetUrl())) == site) {
            WriteError(CliText::tr("sitekanri-cli: 同じサイトが番号 %1 に登録されています（%2）。")
                                      .arg(QString::number(number), CodePage::urlToDisplayText(read.value->GetUrl())));
            return;
        }
    }
}
