// SPDX-License-Identifier: MIT
// A view for tests of the operator's steps: edit boxes as strings, and a
// record of what the steps did to the list, the bar and the busy state.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "record_list.h"
#include "view.h"

namespace kestrix::test {

class ScriptedView : public View {
public:
    std::string fieldText(Field field) const override;
    void setFieldText(Field field, const std::string &text) override { fields[field] = text; }
    void selectField(Field field) override { selected = field; }
    void rowsAppended(std::size_t first, std::size_t count) override;
    void rowsReset() override;
    void setProgress(int position) override;
    void setBusy(bool busy) override;
    void closeDialog() override { closed = true; }

    std::map<Field, std::string> fields;
    std::optional<Field> selected;
    const RecordList *list = nullptr; // the steps' rows, to check what they say of them
    std::size_t rowsShown = 0;        // the rows the steps have told of
    std::size_t resets = 0;
    int bar = 0;
    std::vector<int> progress; // every position set, in order
    bool busy = false;
    std::vector<bool> busyChanges;
    bool closed = false;
};

} // namespace kestrix::test
