#pragma once

class ListPageSplitter;
class SiteColumnWidths;
class SiteDateColumns;
class QWidget;

// The window's size, place, maximised state, how the splitter shares its height between the list
// and the pages, the widths the user gave the list's columns and the date columns chosen, kept between
// runs in the desktop's config folder (sitekanri/window.ini there), not beside the register: a
// register is shared and carried about, while where a window stands belongs to one desktop.
namespace WindowMemory {

// Gives `window` (not yet shown), `split` and `columns` what was saved last; what was never saved,
// or no longer fits (another number of columns, a place on a screen that has gone), stays as it is.
// The split is the share of the room the user gave the pages, whatever the window's size. A window
// never sized before opens at its width as tall as the screen allows, to show as many sites as it
// can.
void restore(QWidget &window, ListPageSplitter &split, SiteColumnWidths &columns, SiteDateColumns &dates);
// Saves them as they are now; a maximised window keeps the size and place it returns to.
// Columns that share the room save no widths, so that they share it again next time.
void save(const QWidget &window, const ListPageSplitter &split, const SiteColumnWidths &columns,
          const SiteDateColumns &dates);

} // namespace WindowMemory
