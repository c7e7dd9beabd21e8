#pragma once

#include <cstddef>

#include "flt/record.h"

class SceneNode;
class FltSwitch;

// Mask words one switch record can carry: the 28-byte head and the words, padded to 8
// bytes, stay within the record limit.
constexpr size_t kMaxSwitchMaskWords = (FltRecord::kMaxLength / 8 * 8 - 28) / 4;

// The switch's table, then FltSwitchMaskCount masks filled from the FltSwitchMaskData
// hex text, least significant byte of each word first. Nothing is read unless the
// table found FltSwitchCurr or FltSwitchMaskWidth. The mask count is cut to what fits
// in one record; words the text does not reach are 0. 1 when the table found anything.
[[nodiscard]] int readSwitchMasks(const SceneNode& node, FltSwitch& record);
