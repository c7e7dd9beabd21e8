#include "flt/file_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "flt/file_reader.h"
#include "flt/header.h"
#include "flt/opcodes.h"
#include "flt/record.h"
#include "flt/vertex_list.h"

namespace {

constexpr uint16_t kVertexPaletteOpcode = 67;

bool isVertexRecord(uint16_t opcode) {
  return opcode >= 68 && opcode <= 71;
}

double bigEndianDouble(const std::vector<uint8_t>& bytes, size_t at) {
  uint64_t bits = 0;
  for (size_t i = 0; i < 8; ++i) bits = bits << 8 | bytes[at + i];
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

struct LevelPair {
  uint16_t push;
  uint16_t pop;
  const char* pushName;
  const char* popName;
};

const LevelPair kLevelPairs[] = {
    {10, 11, "push level", "pop level"},
    {19, 20, "push subface", "pop subface"},
    {21, 22, "push extension", "pop extension"},
    {122, 123, "push attribute", "pop attribute"},
};

int32_t bigEndian32(const std::vector<uint8_t>& bytes, size_t at) {
  return static_cast<int32_t>(static_cast<uint32_t>(bytes[at]) << 24 |
                              static_cast<uint32_t>(bytes[at + 1]) << 16 |
                              static_cast<uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3]);
}

// What the check carries from record to record.
struct CheckState {
  std::vector<FltFault> faults;
  size_t unlisted = 0;
  int depths[std::size(kLevelPairs)] = {};

  // The vertex palette: its file offset, the total length it declares, and the
  // offsets (from its start, ascending) of the vertex records that follow it.
  int64_t vertexPaletteStart = -1;
  int64_t vertexPaletteTotal = 0;
  bool inVertexPalette = false;
  std::vector<int64_t> vertexOffsets;
  // Vertices whose x, y or z is NaN or infinite, and where the first one lies.
  int64_t nonFinite = 0;
  int64_t firstNonFinite = -1;

  void fault(int64_t offset, std::string what) {
    if (faults.size() < kMaxListedFaults)
      faults.push_back({offset, std::move(what)});
    else
      ++unlisted;
  }
};

using CheckFunction = void (*)(CheckState& state, FltFileReader& reader);

void checkHeader(CheckState& s, FltFileReader& r) {
  if (r.index() != 0) s.fault(r.offset(), "a second header record");
}

void checkVertexPalette(CheckState& s, FltFileReader& r) {
  if (s.vertexPaletteStart >= 0) {
    s.fault(r.offset(), "a second vertex palette; vertex lists count from the first");
    return;
  }
  s.vertexPaletteStart = r.offset();
  s.inVertexPalette = true;
  if (r.length() < 8) {
    s.fault(r.offset(), "vertex palette record of " + std::to_string(r.length()) +
                            " bytes has no room for its total length");
    s.vertexPaletteTotal = -1;
  } else {
    s.vertexPaletteTotal = bigEndian32(r.bytes(), 4);
  }
}

void checkVertex(CheckState& s, FltFileReader& r) {
  if (s.inVertexPalette) {
    s.vertexOffsets.push_back(r.offset() - s.vertexPaletteStart);
    // Coordinates are doubles at bytes 8, 16 and 24 of every vertex kind.
    const std::vector<uint8_t>& b = r.bytes();
    if (b.size() >= 32 &&
        !(std::isfinite(bigEndianDouble(b, 8)) && std::isfinite(bigEndianDouble(b, 16)) &&
          std::isfinite(bigEndianDouble(b, 24)))) {
      if (s.nonFinite++ == 0) s.firstNonFinite = r.offset();
    }
  } else {
    s.fault(r.offset(), std::string(opcodeName(r.opcode())) + " outside the vertex palette");
  }
}

// Called at the first record after the vertex palette's run of vertex records.
void endVertexPalette(CheckState& s, int64_t end) {
  s.inVertexPalette = false;
  const int64_t span = end - s.vertexPaletteStart;
  if (s.vertexPaletteTotal >= 0 && s.vertexPaletteTotal != span) {
    s.fault(s.vertexPaletteStart,
            "vertex palette total length " + std::to_string(s.vertexPaletteTotal) +
                ", but it and its vertex records take " + std::to_string(span) + " bytes");
  }
}

void checkVertexList(CheckState& s, FltFileReader& r) {
  if ((r.length() - 4) % 4 != 0) {
    s.fault(r.offset(),
            "vertex list length " + std::to_string(r.length()) + " is not 4 + 4 per corner");
  }
  FltVertexList list;
  list.readFrom(r);
  if (list.offsets().empty()) return;
  if (s.vertexPaletteStart < 0) {
    s.fault(r.offset(), "vertex list with no vertex palette before it");
    return;
  }
  size_t bad = 0, firstBad = 0;
  const auto& offsets = list.offsets();
  for (size_t i = 0; i < offsets.size(); ++i) {
    if (!std::binary_search(s.vertexOffsets.begin(), s.vertexOffsets.end(),
                            static_cast<int64_t>(offsets[i]))) {
      if (bad++ == 0) firstBad = i;
    }
  }
  if (bad > 0) {
    s.fault(r.offset(),
            "vertex list offset " + std::to_string(offsets[firstBad]) + " (corner " +
                std::to_string(firstBad + 1) + " of " + std::to_string(offsets.size()) +
                ") is not the start of a vertex record" +
                (bad > 1 ? "; " + std::to_string(bad - 1) + " more such corners" : std::string()));
  }
}

struct CheckEntry {
  uint16_t opcode;
  CheckFunction check;
};

const CheckEntry kCheckTable[] = {
    {FltHeader::kOpcode, checkHeader},
    {kVertexPaletteOpcode, checkVertexPalette},
    {68, checkVertex},
    {69, checkVertex},
    {70, checkVertex},
    {71, checkVertex},
    {FltVertexList::kOpcode, checkVertexList},
};

void checkNesting(CheckState& s, FltFileReader& r) {
  for (size_t i = 0; i < std::size(kLevelPairs); ++i) {
    const LevelPair& pair = kLevelPairs[i];
    if (r.opcode() == pair.push) {
      ++s.depths[i];
    } else if (r.opcode() == pair.pop) {
      if (s.depths[i] == 0)
        s.fault(r.offset(), std::string(pair.popName) + " without a matching " + pair.pushName);
      else
        --s.depths[i];
    }
  }
}

}  // namespace

std::vector<FltFault> checkFltRecords(FltFileReader& reader) {
  CheckState s;
  while (reader.next()) {
    const uint16_t opcode = reader.opcode();
    if (reader.index() == 0 && opcode != FltHeader::kOpcode) {
      s.fault(reader.offset(), std::string("the first record is ") + opcodeName(opcode) + " (" +
                                   std::to_string(opcode) + "), not a header");
    }
    if (reader.length() > FltRecord::kMaxLength) {
      s.fault(reader.offset(), "record length " + std::to_string(reader.length()) +
                                   " is over the limit of " +
                                   std::to_string(FltRecord::kMaxLength) + " bytes");
    }
    if (s.inVertexPalette && !isVertexRecord(opcode)) endVertexPalette(s, reader.offset());
    checkNesting(s, reader);
    for (const CheckEntry& e : kCheckTable)
      if (e.opcode == opcode) e.check(s, reader);
  }
  if (reader.faulted()) {
    s.fault(reader.faultOffset(), reader.fault());
  } else {
    const int64_t end = reader.position();
    if (reader.index() < 0) s.fault(0, "empty file: no header record");
    if (s.inVertexPalette) endVertexPalette(s, end);
    // Only a file read to its end can be said to leave levels open.
    for (size_t i = 0; i < std::size(kLevelPairs); ++i) {
      if (s.depths[i] > 0) {
        s.fault(end, std::to_string(s.depths[i]) + " " + kLevelPairs[i].pushName +
                         (s.depths[i] == 1 ? "" : "s") + " left open at the end of the file");
      }
    }
  }
  if (s.unlisted > 0) {
    s.faults.push_back(
        {reader.position(), "and " + std::to_string(s.unlisted) + " more faults not listed"});
  }
  if (s.nonFinite > 0) {
    s.faults.push_back({s.firstNonFinite,
                        std::to_string(s.nonFinite) +
                            (s.nonFinite == 1 ? " vertex has" : " vertices have") +
                            " coordinates that are no finite number (NaN or infinite)",
                        true});
  }
  return std::move(s.faults);
}

FltCheckResult checkFltFile(const std::string& path) {
  FltCheckResult result;
  FltFileReader reader;
  if (!reader.open(path)) {
    result.error = reader.error();
    return result;
  }
  result.faults = checkFltRecords(reader);
  if (!reader.error().empty()) {
    result.error = reader.error();
    return result;
  }
  result.readable = true;
  return result;
}

bool startsWithHeader(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return true;
  uint8_t head[2] = {0, 0};
  const size_t got = std::fread(head, 1, 2, f);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) return true;
  return got == 2 && (head[0] << 8 | head[1]) == FltHeader::kOpcode;
}

bool hasFaults(const std::vector<FltFault>& faults) {
  return std::any_of(faults.begin(), faults.end(), [](const FltFault& f) { return !f.warning; });
}

std::string formatFault(const std::string& path, const FltFault& fault) {
  return path + ": offset " + std::to_string(fault.offset) + ": " +
         (fault.warning ? "warning: " : "") + fault.what;
}
