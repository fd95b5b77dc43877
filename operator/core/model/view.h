// SPDX-License-Identifier: MIT
// What the operator's steps need of the dialog they run in: its edit boxes,
// its list of records (whose rows the steps keep, see RecordList), its
// progress bar, and a busy state while the reader works.
#pragma once

#include <cstddef>
#include <string>

namespace kestrix {

// The edit boxes, in the order the dialog reads them.
enum class Field { RecordCount, SingleNumber, KeyText, KeyReadBack, RangeStart, RangeEnd };

class View {
public:
    virtual ~View() = default;

    virtual std::string fieldText(Field field) const = 0; // UTF-8
    virtual void setFieldText(Field field, const std::string &text) = 0;
    // After a field failed its check: the focus goes to it, its text selected.
    virtual void selectField(Field field) = 0;

    // The rows first to first + count - 1 of the record list are new.
    virtual void rowsAppended(std::size_t first, std::size_t count) = 0;
    // The record list changed as a whole (cleared, duplicates removed).
    virtual void rowsReset() = 0;

    virtual void setProgress(int position) = 0;

    // While busy, the controls that start work are disabled, so that clicks
    // and keys meanwhile are dropped rather than kept for later, and the
    // cursor says the program is working.
    virtual void setBusy(bool busy) = 0;

    // The dialog ends.
    virtual void closeDialog() = 0;
};

} // namespace kestrix
