// The main dialog as a template: every control with its identifier, kind,
// caption, position and size in dialog units, in template order (which is
// also the tab order).
#pragma once

#include <QFont>
#include <QRect>
#include <span>

namespace kestrix {

enum ControlId : int {
    IDOK = 1,
    IDC_CONNECT = 1000,
    IDC_DISCONNECT = 1001,
    IDC_READ_ALL = 1002,
    IDC_SET_TIME = 1003,
    IDC_DELETE_ALL = 1004,
    IDC_SAVE_FILE = 1005,
    IDC_CLEAR_LIST = 1006,
    IDC_RECORD_LIST = 1008,
    IDC_PROGRESS = 1009,
    IDC_QUERY_COUNT = 1012,
    IDC_READ_ONE = 1013,
    IDC_RECORD_COUNT = 1014,
    IDC_SINGLE_NUMBER = 1015,
    IDC_SET_KEY = 1016,
    IDC_READ_KEY = 1017,
    IDC_KEY_TEXT = 1018,
    IDC_KEY_READBACK = 1019,
    IDC_OPEN_COMPARE = 1020,
    IDC_DOWNLOAD_COMPARE = 1021,
    IDC_DELETE_COMPARE = 1022,
    IDC_REMOVE_DUPLICATES = 1023,
    IDC_RANGE_START = 1024,
    IDC_RANGE_END = 1025,
    IDC_READ_RANGE = 1026,
    IDC_STATIC = -1,
};

enum class ControlKind { Button, Edit, ListView, ProgressBar, Label };

enum ControlFlag : unsigned {
    DefaultButton = 1u << 0,
    Hidden = 1u << 1,
    ReadOnly = 1u << 2,
    Centred = 1u << 3,
    ArialFont16 = 1u << 4,
};

struct ControlTemplate {
    int id;
    ControlKind kind;
    const char *caption; // UTF-8
    QRect units;         // dialog units
    unsigned flags;
    const char *accessibleName; // for controls without a caption
};

struct DialogTemplate {
    const char *title;
    QSize units;
    std::span<const ControlTemplate> controls;
};

const DialogTemplate &mainDialogTemplate();

// The dialog font: "宋体" 9 pt, or an installed Chinese font when it is missing.
QFont dialogFont();

// Dialog units to pixels through the font, as the desktop it was made for
// maps them: a horizontal unit is a quarter of the average width of the 52
// Latin letters, a vertical unit an eighth of the font's height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont &font);
    QRect toPixels(const QRect &units) const;
    QSize toPixels(const QSize &units) const;
    int baseX() const { return baseX_; }
    int baseY() const { return baseY_; }

private:
    int baseX_;
    int baseY_;
};

} // namespace kestrix
