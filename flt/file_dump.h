#pragma once
// Prints an OpenFlight file as a record tree: one line per record, two spaces of
// indent per open push level, the opcode name, the length and the key fields of
// the kinds it knows, each parsed by the record class's own parse.
//
// Each kind has one small dump function in the table of file_dump.cpp; a new kind
// adds a function and a table row.

#include <array>
#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <unordered_map>

class FltFileReader;

// What a dump function gets: the reader at the record, the line it appends to.
struct FltDumpContext {
  FltFileReader& reader;
  std::string& line;
  // File offset of the vertex palette record, -1 before it; vertex records count from it.
  int64_t vertexPaletteStart;
  // Set by dumpId: a long ID right behind the record is shown on its line too.
  bool named;
  // Coordinates of the vertex records read so far, by offset in the vertex palette.
  std::unordered_map<int64_t, std::array<double, 3>>* vertexPoints;
};

using FltDumpFunction = void (*)(FltDumpContext& context);

// Appends " " and the printf-formatted field to the line.
void dumpField(std::string& line, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Appends " id=" and the quoted ID, and marks the record as named.
void dumpId(FltDumpContext& context, const char* id);
// The shortest text that reads back as the same double.
std::string dumpNumber(double value);
// The text in double quotes with backslash escapes, on one line, cut after about
// maxLength characters with "..." behind the closing quote.
std::string dumpQuoted(const std::string& text, size_t maxLength = 60);

// Prints the tree of the records that the open reader yields. False when reading
// ended on a fault (reader.fault(), reader.faultOffset()); the records before it
// are printed. Write errors show in the stream's own state.
bool dumpFltRecords(FltFileReader& reader, std::ostream& out);
bool dumpFltRecords(FltFileReader& reader, std::FILE* out);
