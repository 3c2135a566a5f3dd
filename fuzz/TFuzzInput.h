#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Splits a fuzzer's input into the parts of a test case, exactly as libFuzzer's FuzzedDataProvider
// does for the three calls used here, so that a corpus means the same to the libFuzzer build and to
// the plain driver (which has no FuzzedDataProvider under GCC).
class TFuzzInput
{
public:
    TFuzzInput(const std::uint8_t *data, std::size_t size)
        : next(data)
        , remaining(size)
    {
    }

    // Up to maxLength bytes from the front. A backslash followed by another byte ends the string
    // (both are used up); two backslashes stand for one.
    std::string ConsumeRandomLengthString(std::size_t maxLength)
    {
        std::string text;
        for (std::size_t i = 0; i < maxLength && remaining != 0; ++i) {
            char c = Take();
            if (c == '\\' && remaining != 0) {
                c = Take();
                if (c != '\\')
                    break;
            }
            text += c;
        }
        return text;
    }

    // A number in [min, max] made of as many bytes from the back as the range needs (fewer when
    // the input runs out; min when there are none).
    int ConsumeIntegralInRange(int min, int max)
    {
        const std::uint64_t range = static_cast<std::uint64_t>(static_cast<std::int64_t>(max) - min);
        std::uint64_t value = 0;
        std::size_t bits = 0;
        while (bits < sizeof(int) * 8 && (range >> bits) > 0 && remaining != 0) {
            --remaining;
            value = (value << 8) | next[remaining];
            bits += 8;
        }
        value %= range + 1;
        return static_cast<int>(min + static_cast<std::int64_t>(value));
    }

    // Everything not used up yet.
    std::string ConsumeRemainingBytesAsString()
    {
        std::string text(reinterpret_cast<const char *>(next), remaining);
        next += remaining;
        remaining = 0;
        return text;
    }

private:
    char Take()
    {
        const auto c = static_cast<char>(*next);
        ++next;
        --remaining;
        return c;
    }

    const std::uint8_t *next;
    std::size_t remaining;
};
