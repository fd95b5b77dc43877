// SPDX-License-Identifier: MIT
#include "scripted_view.h"

#include <stdexcept>

namespace kestrix::test {

std::string ScriptedView::fieldText(Field field) const
{
    const auto found = fields.find(field);
    return found == fields.end() ? std::string() : found->second;
}

void ScriptedView::rowsAppended(std::size_t first, std::size_t count)
{
    // The steps tell of rows in the order they come.
    if (first != rowsShown || (list && first + count != list->size()))
        throw std::logic_error("rows told of out of order");
    rowsShown = first + count;
}

void ScriptedView::rowsReset()
{
    ++resets;
    rowsShown = list ? list->size() : 0;
}

void ScriptedView::setProgress(int position)
{
    bar = position;
    progress.push_back(position);
}

void ScriptedView::setBusy(bool b)
{
    busy = b;
    busyChanges.push_back(b);
}

} // namespace kestrix::test
