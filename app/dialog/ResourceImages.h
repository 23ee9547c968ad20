#pragma once

#include <QIcon>
#include <QPixmap>

// The program's own images, compiled in, by resource number (ResourceId).
namespace ResourceImages {
// Every size the icon comes in; a null icon for an unknown number.
QIcon icon(int id);
QPixmap bitmap(int id);
} // namespace ResourceImages
