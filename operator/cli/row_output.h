// SPDX-License-Identifier: MIT
// The rows of a read on standard output: as the list shows them, or as JSON.
#pragma once

#include <string>

#include "row_texts.h"

namespace kestlink_cli {

// The four texts as the list shows them, tab-separated, the card number
// decoded from GBK to UTF-8: "00001\t999 012345678901\t2024/01/01 08:00:00\t1\n".
std::string textLine(const kestrix::RowTexts &row);

// One JSON object: {"sequence":"00001","card":"999 012345678901",
// "time":"2024/01/01 08:00:00","flag":"1"}. A card whose bytes are not all
// printable ASCII also gets "card_hex", its bytes exactly, and "card" then
// shows them decoded from GBK. Ends in a line feed.
std::string jsonLine(const kestrix::RowTexts &row);

} // namespace kestlink_cli
