// Reading the dialog's edits into its fields: numbers as the operator types
// them, with the range checks the fields carry.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace kestrix {

// A whole signed 32-bit number, blanks around it allowed; nothing else.
std::optional<std::int32_t> parseIntegerField(const QString &text);

QString integerMessage();
QString rangeMessage(int minimum, int maximum);
QString lengthMessage(int maximum);

} // namespace kestrix
