#pragma once
// The modelling host's reading of a node's user-property text: lines of
// `key = value`, the first line whose key matches wins.

#include <optional>
#include <string>
#include <string_view>

// The value of the first line whose text before '=' is `key`, both trimmed of
// spaces and tabs. Lines end at "\r\n", "\n" or a lone "\r".
std::optional<std::string_view> findUserProperty(std::string_view text, std::string_view key);

// Whole-text parses: the value is found only when all of it is the number.
std::optional<int> parseWholeInt(std::string_view text);
// Finite values only.
std::optional<float> parseWholeFloat(std::string_view text);
// true/false, yes/no, on/off in any case, or an integer (non-zero is true).
std::optional<bool> parseBoolWord(std::string_view text);

// Every "\n" or lone "\r" becomes "\r\n", and a last line without an end gets one.
std::string normalizeLineEnds(std::string_view text);
