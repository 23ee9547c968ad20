#pragma once

#include "EdgeShares.h"

#include <QRect>
#include <QString>

#include <vector>

// The three dialog templates of the window, as data: each control with its ID, kind, text and
// rectangle in dialog units, in template order, which is also the focus order. The size of a
// template is the least its window takes; the room a larger window gives goes to the controls
// that grow.
enum class ControlKind {
    ListView,
    Picture,      // a bitmap that reports clicks
    PushButton,
    IconButton,   // a push button that shows an icon in place of its text
    TabControl,
    Edit,         // single line, scrolls horizontally
    OutputBox,    // multi-line, read-only, wraps lines, vertical scroll bar
    Label,
    GroupBox,
    RadioButton,
    CheckBox,
    DropDownList, // a combo box without an edit field; its height includes the open list
};

struct ControlTemplate
{
    int id;           // 0 for a label without an ID of its own
    ControlKind kind;
    const char *text; // UTF-8
    QRect rect;       // dialog units
    bool tabStop;
    int image;        // icon or bitmap resource number, 0 for none
    EdgeShares grow{};  // how the control follows a window grown beyond the template
};

// What a screen reader announces for a control that shows no text of its own, and the label
// that stands for it on screen: the label becomes its buddy, so that a click on the label or its
// relation on the accessibility bus leads to the control.
struct ControlName
{
    int id;
    const char *name;  // UTF-8
    const char *label; // UTF-8 text of the label beside it, or null when none names it alone
};

struct DialogTemplate
{
    int id;
    const char *caption; // UTF-8
    QSize size;          // dialog units
    std::vector<ControlTemplate> controls;
    std::vector<ControlName> names;
    // The order Tab moves through the controls where it differs from template order, which
    // does not always follow the eye: the IDs from first to last.
    std::vector<int> focusOrder;

    QString captionText() const { return QString::fromUtf8(caption); }
};

namespace DialogTemplates {
const DialogTemplate &mainDialog();   // 102
const DialogTemplate &registerPage(); // 133
const DialogTemplate &linkPage();     // 134
} // namespace DialogTemplates

// Control IDs of the three templates, named for the code that reads and writes them.
namespace ControlId {
enum : int {
    SiteList = 1001,
    SiteName = 1002,
    SiteUrl = 1003,
    Keyword1 = 1004,
    Keyword2 = 1005,
    Keyword3 = 1006,
    LinkCode = 1007,
    Content = 1008,
    GenerateCode = 1009,
    ModeName = 1010,
    ModeContent = 1011,
    ModeNameAndContent = 1012,
    KeywordCombo = 1013,
    RegisterNew = 1014,
    Banner = 1015,
    SiteJump = 1016,
    Delete = 1017,
    Update = 1018,
    CopyCode = 1019,
    PageTab = 1021,
    SaveCode = 1022,
    ExcludeDeadLinks = 1023,
    ListOrder = 1024,
    NewSite = 1025,
    Publish = 1026,
    NewMarks = 1027,
    NewDays = 1028,
    NewMarkHtml = 1029,
};
} // namespace ControlId

// Resource numbers of the program's images.
namespace ResourceId {
enum : int {
    AppIcon = 128,
    BannerBitmap = 132,
    RegisterIcon = 135,
    DeleteIcon = 136,
    UpdateIcon = 137,
    NewIcon = 138,
};
} // namespace ResourceId
