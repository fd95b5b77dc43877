// SPDX-License-Identifier: MIT
// Where the rows of a read go on standard output, as they come or at the
// end, in the list's texts or as JSON.
#pragma once

#include <string>

#include "row_texts.h"

namespace kestlink_cli {

class RowSink {
public:
    explicit RowSink(bool json) : json_(json) {}
    // False once standard output refused a line (a closed pipe, a full
    // disk), having said why; nothing more is written then.
    bool write(const kestrix::RowTexts &row);
    bool failed() const { return failed_; }

private:
    bool json_;
    bool failed_ = false;
};

} // namespace kestlink_cli
