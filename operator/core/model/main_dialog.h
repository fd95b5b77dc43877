// SPDX-License-Identifier: MIT
// The main dialog, template 102, as a table: every control with its
// identifier, kind, caption, position and size in dialog units, in template
// order (which is also the tab order). The Qt dialog builds itself from it;
// the build writes the Windows dialog template from it
// (operator/win32/dialog_rc).
#pragma once

#include <span>

#include "control_ids.h"
#include "view.h"

namespace kestrix {

struct DialogRect {
    int x, y, width, height;
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
    DialogRect units;    // dialog units
    unsigned flags;
    const char *accessibleName; // for controls without a caption
};

struct DialogTemplate {
    int id;
    const char *title;
    int width, height;    // dialog units
    const char *fontName; // UTF-8
    int fontPoints;
    std::span<const ControlTemplate> controls;
};

const DialogTemplate &mainDialogTemplate();

// The edit control each of the steps' fields is shown in.
constexpr int editIdOf(Field field)
{
    switch (field) {
    case Field::RecordCount: return IDC_RECORD_COUNT;
    case Field::SingleNumber: return IDC_SINGLE_NUMBER;
    case Field::KeyText: return IDC_KEY_TEXT;
    case Field::KeyReadBack: return IDC_KEY_READBACK;
    case Field::RangeStart: return IDC_RANGE_START;
    case Field::RangeEnd: return IDC_RANGE_END;
    }
    return 0;
}

} // namespace kestrix
