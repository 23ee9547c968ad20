#pragma once

#include "SiteEntry.h"

#include <QString>

// sitekanri-cli add --fetch: reads the page at the fields' URL (the link check's requests, the
// page's own site only) and puts its title and description, as text from outside, in the name
// and content where they were not given. Returns "" when the page was read, else why not.
QString FillFromPage(SiteFields &fields);
