#pragma once
// A fresh record of each kind that has a property table set.

#include <memory>

#include "flt/record_base.h"

// Null for opcodes without a table set.
std::unique_ptr<FltRecordBase> newTableRecord(int opcode);
