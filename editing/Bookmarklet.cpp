#include "Bookmarklet.h"

#include "OutsideText.h"
#include "SiteLink.h"

QString Bookmarklet::code()
{
    // `location` is read and set as a free name (never window.location), and the selection is
    // read with getSelection(). encodeURIComponent refuses half a surrogate pair: one the page
    // holds becomes U+FFFD first, and one the cut leaves at the end is dropped.
    return QStringLiteral("javascript:(function(){var e=encodeURIComponent,c=function(t,n){return "
                          "e(String(t).replace(/[\\uD800-\\uDBFF][\\uDC00-\\uDFFF]|[\\uD800-\\uDFFF]/g,function(s){"
                          "return s.length>1?s:'\\uFFFD'}).slice(0,n).replace(/[\\uD800-\\uDBFF]$/,''))};"
                          "location.href='%1:add?url='+e(location.href)+'&name='+c(document.title,%2)+'&content='"
                          "+c(getSelection(),%3)})()")
        .arg(QLatin1String(SiteLink::kScheme), QString::number(OutsideText::kMaxName),
             QString::number(OutsideText::kMaxContent));
}
