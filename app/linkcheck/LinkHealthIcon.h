#pragma once

#include "LinkHealth.h"

#include <QIcon>

// The list's mark for a link's health: a coloured dot (green, blue for a move, amber for a
// doubt, red for a dead link); no icon for a link never checked.
QIcon LinkHealthIcon(LinkVerdict verdict);
