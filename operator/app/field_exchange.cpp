#include "field_exchange.h"

#include "messages.h"

namespace kestrix {

std::optional<std::int32_t> parseIntegerField(const QString &text)
{
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok, 10);
    if (!ok || value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

QString integerMessage() { return QString::fromUtf8(text::kEnterInteger); }

QString rangeMessage(int minimum, int maximum)
{
    return QString::fromUtf8(text::kEnterIntegerBetween).arg(minimum).arg(maximum);
}

QString lengthMessage(int maximum) { return QString::fromUtf8(text::kEnterAtMostChars).arg(maximum); }

} // namespace kestrix
