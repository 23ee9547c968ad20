#include "Bookmarklet.h"

#include "SiteLink.h"

QString Bookmarklet::code()
{
    // `location` is read and set as a free name (never window.location), and the selection is
    // read with getSelection(); a cut that ends between the halves of a surrogate pair drops the
    // half, which encodeURIComponent would refuse.
    return QStringLiteral("javascript:(function(){var e=encodeURIComponent,c=function(t,n){return "
                          "e(String(t).slice(0,n).replace(/[\\uD800-\\uDBFF]$/,''))};location.href='%1:add?url='"
                          "+e(location.href)+'&name='+c(document.title,%2)+'&content='+c(getSelection(),%3)})()")
        .arg(QLatin1String(SiteLink::kScheme))
        .arg(SiteLink::kMaxName)
        .arg(SiteLink::kMaxContent);
}
