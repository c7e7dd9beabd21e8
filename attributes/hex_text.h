#pragma once
// Hexadecimal fields of property texts, read as "%02x" reads them: leading blanks are
// skipped, then at most `maxDigits` digits. Fields without a digit read as 0.

#include <cstddef>
#include <cstdint>
#include <string_view>

// Reads one field from `text` at `pos` and moves `pos` past it; false when it held no digit.
[[nodiscard]] bool readHexField(std::string_view text, size_t& pos, size_t maxDigits,
                                uint32_t* value);
