#include "PublishList.h"

#include "CodePage.h"
#include "LinkCodeDocument.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>

namespace {

const QString kRegisters = QStringLiteral("registers");
const QString kServer = QStringLiteral("server");

// The register folder as one spelling, whatever path reached it.
QString registerKey(const QString &folder)
{
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    return QDir::cleanPath(canonical.isEmpty() ? info.absoluteFilePath() : canonical);
}

struct StoredRegister
{
    QString folder;
    PublishList list;
};

constexpr std::pair<PageEntry::Kind, const char *> kKindWords[] = {{PageEntry::Kind::Marked, "marked"},
                                                                  {PageEntry::Kind::OwnPage, "own"},
                                                                  {PageEntry::Kind::Feed, "atom"},
                                                                  {PageEntry::Kind::Blogroll, "opml"}};

PageEntry::Kind kindNamed(const QString &word)
{
    for (const auto &[kind, name] : kKindWords) {
        if (word == QLatin1String(name))
            return kind;
    }
    return PageEntry::Kind::Marked;
}

QString kindWord(PageEntry::Kind kind)
{
    for (const auto &[known, name] : kKindWords) {
        if (known == kind)
            return QLatin1String(name);
    }
    return QString();
}

PageEntry readEntry(const QSettings &settings)
{
    PageEntry entry;
    entry.kind = kindNamed(settings.value(QStringLiteral("kind")).toString());
    entry.path = settings.value(QStringLiteral("path")).toString();
    entry.templatePath = settings.value(QStringLiteral("template")).toString();
    entry.settings.title = settings.value(QStringLiteral("title")).toString();
    RegionOptions &defaults = entry.settings.defaults;
    defaults.mode = LinkCodeModeNamed(settings.value(QStringLiteral("mode")).toString()).value_or(LinkCodeMode::Name);
    defaults.order = RegionOrderNamed(settings.value(QStringLiteral("order")).toString()).value_or(RegionOrder::Register);
    defaults.skipDead = settings.value(QStringLiteral("skipDead")).toBool();
    defaults.newDays = std::clamp(settings.value(QStringLiteral("newDays")).toInt(), 0, NewSiteMark::kMaxDays);
    if (settings.contains(QStringLiteral("newMark")))
        defaults.newMark = LinkCodeFromText(settings.value(QStringLiteral("newMark")).toString());
    defaults.recentCount = std::clamp(settings.value(QStringLiteral("recent"), RegionOptions::kDefaultRecentCount).toInt(), 0,
                                      RegionOptions::kMaxRecentCount);
    defaults.dateStyle = DateStyleNamed(settings.value(QStringLiteral("dateStyle")).toString()).value_or(DateStyle::Kanji);
    return entry;
}

void writeEntry(QSettings &settings, const PageEntry &entry)
{
    settings.setValue(QStringLiteral("kind"), kindWord(entry.kind));
    settings.setValue(QStringLiteral("path"), entry.path);
    settings.setValue(QStringLiteral("template"), entry.templatePath);
    settings.setValue(QStringLiteral("title"), entry.settings.title);
    settings.setValue(QStringLiteral("mode"), LinkCodeModeWord(entry.settings.defaults.mode));
    settings.setValue(QStringLiteral("order"), RegionOrderWord(entry.settings.defaults.order));
    const RegionOptions &defaults = entry.settings.defaults;
    settings.setValue(QStringLiteral("skipDead"), defaults.skipDead);
    settings.setValue(QStringLiteral("newDays"), defaults.newDays);
    settings.setValue(QStringLiteral("newMark"), CodePage::toText(defaults.newMark));
    settings.setValue(QStringLiteral("recent"), defaults.recentCount);
    settings.setValue(QStringLiteral("dateStyle"), DateStyleWord(defaults.dateStyle));
}

std::vector<StoredRegister> readAll(QSettings &settings)
{
    std::vector<StoredRegister> stored;
    const int count = settings.beginReadArray(kRegisters);
    for (int i = 0; i < count; ++i) {
        settings.setArrayIndex(i);
        StoredRegister one{settings.value(QStringLiteral("folder")).toString(), {}};
        one.list.publishOnChange = settings.value(QStringLiteral("publishOnChange")).toBool();
        one.list.server = settings.value(kServer).toString();
        const int pages = settings.beginReadArray(QStringLiteral("pages"));
        for (int p = 0; p < pages; ++p) {
            settings.setArrayIndex(p);
            if (PageEntry entry = readEntry(settings); !entry.path.isEmpty())
                one.list.pages.push_back(entry);
        }
        settings.endArray();
        stored.push_back(std::move(one));
    }
    settings.endArray();
    return stored;
}

} // namespace

QString PublishList::defaultFile()
{
    // Beside the window's settings (window.ini), wherever those are kept.
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("sitekanri"), QStringLiteral("publishing")).fileName();
}

PublishList PublishList::load(const QString &registerFolder, const QString &file)
{
    QSettings settings(file, QSettings::IniFormat);
    const QString key = registerKey(registerFolder);
    for (StoredRegister &stored : readAll(settings)) {
        if (stored.folder == key)
            return std::move(stored.list);
    }
    return {};
}

bool PublishList::save(const QString &registerFolder, const QString &file) const
{
    QSettings settings(file, QSettings::IniFormat);
    const QString key = registerKey(registerFolder);
    const int count = settings.beginReadArray(kRegisters);
    int ours = count;
    for (int i = 0; i < count && ours == count; ++i) {
        settings.setArrayIndex(i);
        if (settings.value(QStringLiteral("folder")).toString() == key)
            ours = i;
    }
    settings.endArray();
    // Only what the list holds is written: other keys of this register (a later version's
    // settings) and the other registers stay as they are.
    settings.beginWriteArray(kRegisters, std::max(count, ours + 1));
    settings.setArrayIndex(ours);
    settings.setValue(QStringLiteral("folder"), key);
    settings.setValue(QStringLiteral("publishOnChange"), publishOnChange);
    settings.setValue(kServer, server);
    settings.remove(QStringLiteral("pages"));
    settings.beginWriteArray(QStringLiteral("pages"), int(pages.size()));
    for (std::size_t p = 0; p < pages.size(); ++p) {
        settings.setArrayIndex(int(p));
        writeEntry(settings, pages[p]);
    }
    settings.endArray();
    settings.endArray();
    settings.sync();
    return settings.status() == QSettings::NoError;
}

bool PublishList::renameServer(const QString &from, const QString &to, const QString &file)
{
    if (from.isEmpty())
        return true;
    QSettings settings(file, QSettings::IniFormat);
    const int count = settings.beginReadArray(kRegisters);
    std::vector<int> naming;
    for (int i = 0; i < count; ++i) {
        settings.setArrayIndex(i);
        if (settings.value(kServer).toString() == from)
            naming.push_back(i);
    }
    settings.endArray();
    if (naming.empty())
        return true;
    settings.beginWriteArray(kRegisters, count);
    for (const int i : naming) {
        settings.setArrayIndex(i);
        settings.setValue(kServer, to);
    }
    settings.endArray();
    settings.sync();
    return settings.status() == QSettings::NoError;
}
