#pragma once
// Prints an OpenFlight file as a record tree: one line per record, two spaces of
// indent per open push level, the opcode name, the length and the key fields of
// the kinds it knows, each parsed by the record class's own parse. The same
// records, field for field, as one JSON array.
//
// Each kind has one small dump function in the table of file_dump.cpp; a new kind
// adds a function and a table row.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "flt/dump_value.h"

class FltFileReader;

struct FltDumpRecord {
  uint16_t opcode = 0;
  // The opcode's name; empty for a kind this reader does not know.
  std::string name;
  int length = 0;
  // Push levels of any kind open around the record.
  int depth = 0;
  std::vector<FltDumpField> fields;
};

struct FltDumpOptions {
  // Vertex records are many and rarely what one looks for: the text dump lists
  // them only when asked, after the tree.
  bool vertices = false;
};

// Hands every record the open reader yields to `visit`, in file order. False when
// reading ended on a fault (reader.fault(), reader.faultOffset()); the records
// before it are visited.
bool walkFltRecords(FltFileReader& reader, const std::function<void(const FltDumpRecord&)>& visit);

// The text line of a record, indent included.
std::string dumpLine(const FltDumpRecord& record);
// The JSON object of a record: opcode, name, length, depth, then its fields.
std::string dumpJsonObject(const FltDumpRecord& record);

bool isVertexOpcode(uint16_t opcode);

// Prints the tree of the records that the open reader yields. False as for
// walkFltRecords. Write errors show in the stream's own state.
bool dumpFltRecords(FltFileReader& reader, std::ostream& out, const FltDumpOptions& options = {});
bool dumpFltRecords(FltFileReader& reader, std::FILE* out, const FltDumpOptions& options = {});
// Every record, vertices included, as one JSON array, one record a line. The array
// is closed even when reading ends on a fault.
bool dumpFltJson(FltFileReader& reader, std::ostream& out);
bool dumpFltJson(FltFileReader& reader, std::FILE* out);
