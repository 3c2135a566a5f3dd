#include "halloffame/IntegerText.h"

#include <limits>

namespace {

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

std::optional<std::int32_t> ParseHex(QStringView digits)
{
    if (digits.isEmpty())
        return std::nullopt;
    std::uint32_t value = 0;
    for (const QChar c : digits) {
        const int digit = HexDigit(c);
        if (digit < 0 || value > 0x0FFF'FFFFu)
            return std::nullopt;
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    // A full 32-bit pattern is a legal value: "$80000000" is the smallest integer.
    return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> ParseDecimal(QStringView text)
{
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text = text.sliced(1);
    }
    if (text.isEmpty())
        return std::nullopt;
    // One past the largest magnitude, so that the smallest integer still fits.
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < u'0' || u > u'9')
            return std::nullopt;
        magnitude = magnitude * 10 + (u - u'0');
        if (magnitude > limit)
            return std::nullopt;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

} // namespace

std::optional<std::int32_t> ParseIntegerText(QStringView text)
{
    qsizetype start = 0;
    while (start < text.size() && text[start] == u' ')
        ++start;
    text = text.sliced(start);
    if (!text.isEmpty() && text.front() == u'$')
        return ParseHex(text.sliced(1));
    return ParseDecimal(text);
}
