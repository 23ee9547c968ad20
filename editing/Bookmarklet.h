#pragma once

#include <QString>

// The bookmarklet that registers the page a browser shows: run from the bookmark bar, it sends
// the page's address, its title and the text selected on it (as 内容) to the program through a
// sitekanri:add link. It cuts the title and the selection to what such a link may carry, so that
// a long selection still registers the page.
namespace Bookmarklet {

// The bookmark's address: "javascript:…", the code ASCII only, ready to paste as a bookmark's URL.
QString code();

} // namespace Bookmarklet
