#pragma once
// The table of record opcodes and their FLT_ names, looked up both ways.

#include <cstdint>

struct FltOpcodeEntry {
  int32_t category;  // 0 control, 1 palette, 2 node, 3 ancillary
  int16_t opcode;
  const char* name;
};

// "UNDEFINED" for an opcode the table does not hold.
const char* opcodeName(int opcode);
// Case-insensitive; "FLT_" is prefixed when missing. 1 when found, 0 otherwise.
[[nodiscard]] int opcodeFromName(const char* name, int16_t* opcode);
// The category of a known opcode, -1 otherwise.
int opcodeCategory(int opcode);
