#pragma once

#include <QStringView>

#include <cstdint>
#include <optional>

// Reads a stored score the way the game has always read integers: optional leading blanks, then
// either an optional sign and decimal digits within the signed 32-bit range, or "$" and up to
// eight significant hexadecimal digits (taken as a 32-bit pattern, so "$FFFFFFFF" is -1).
// Nothing may follow the digits. Gives nothing for any other text, the empty text included.
std::optional<std::int32_t> ParseIntegerText(QStringView text);
