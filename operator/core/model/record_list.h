// SPDX-License-Identifier: MIT
// The record list: the rows the operator has downloaded, as the bytes of
// their four texts. The one store of downloaded records: the dialog shows it,
// export and duplicate removal read it.
#pragma once

#include <cstddef>
#include <vector>

#include "row_texts.h"

namespace kestrix {

class RecordList {
public:
    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    const RowTexts &operator[](std::size_t i) const { return rows_[i]; }
    const std::vector<RowTexts> &rows() const { return rows_; }

    void append(RowTexts row) { rows_.push_back(std::move(row)); }
    void replaceAll(std::vector<RowTexts> rows) { rows_ = std::move(rows); }
    void clear() { rows_.clear(); }

private:
    std::vector<RowTexts> rows_;
};

} // namespace kestrix
