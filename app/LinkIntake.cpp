#include "LinkIntake.h"

#include "SiteLink.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

namespace {

// How often a link waiting for a question to be answered looks again.
constexpr int kRetryMs = 200;

} // namespace

LinkIntake::LinkIntake(QWidget *window) : QObject(window), m_window(window)
{
}

QString LinkIntake::linkAmong(const QStringList &arguments)
{
    for (const QString &argument : arguments.mid(1)) {
        if (SiteLink::isSiteLink(argument))
            return argument;
    }
    return {};
}

QString LinkIntake::refusalOf(const QString &link)
{
    const SiteLink::Parsed parsed = SiteLink::parse(link);
    return parsed.isGood() ? QString()
                           : QStringLiteral("ブラウザーから渡されたリンクでは登録できません。\n") + parsed.refusal;
}

void LinkIntake::take(const QString &link)
{
    const SiteLink::Parsed parsed = SiteLink::parse(link);
    if (!parsed.isGood()) {
        emit refused(refusalOf(link));
        return;
    }
    offerWhenFree(SiteLink::fieldsOf(parsed));
}

void LinkIntake::offerWhenFree(const SiteFields &fields)
{
    const QWidget *modal = QApplication::activeModalWidget();
    if (modal && modal != m_window) {
        QTimer::singleShot(kRetryMs, this, [this, fields] { offerWhenFree(fields); });
        return;
    }
    emit siteOffered(fields);
}
