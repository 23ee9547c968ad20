#include "LinkIntake.h"

namespace {

const char *kRefused = "ブラウザーから渡されたリンクでは登録できません。\n";

} // namespace

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
    return parsed.isGood() ? QString() : QString::fromUtf8(kRefused) + parsed.refusal;
}

QString LinkIntake::tooLongReason(qsizetype limit)
{
    return QString::fromUtf8("リンクが長すぎて受け取れませんでした（%1 KiB まで）。").arg(limit / 1024);
}

QString LinkIntake::tooLongRefusal(qsizetype limit)
{
    return QString::fromUtf8(kRefused) + tooLongReason(limit);
}

void LinkIntake::take(const QString &link)
{
    const SiteLink::Parsed parsed = SiteLink::parse(link);
    if (parsed.isGood())
        emit siteOffered(parsed);
    else
        emit refused(parsed.refusal);
}
