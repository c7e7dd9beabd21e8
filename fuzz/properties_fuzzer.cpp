// A node's user text from arbitrary bytes, read the way an export reads it: every
// table of the registry onto its record, the kind, face-color, switch-mask and vector
// readers, and the comment that remains once the property lines are taken out. The
// filled records are written back so that a stored length or count that does not fit
// shows too.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "attributes/apply_attributes.h"
#include "attributes/attr_registry.h"
#include "attributes/face_colors.h"
#include "attributes/node_kind.h"
#include "attributes/switch_masks.h"
#include "attributes/table_record.h"
#include "attributes/vector_property.h"
#include "convert/node_comment.h"
#include "flt/bsp.h"
#include "flt/clip_region.h"
#include "flt/color_palette.h"
#include "flt/dof.h"
#include "flt/external_ref.h"
#include "flt/face.h"
#include "flt/group.h"
#include "flt/header.h"
#include "flt/light_point.h"
#include "flt/lod.h"
#include "flt/object.h"
#include "flt/opcodes.h"
#include "flt/record.h"
#include "flt/revision.h"
#include "flt/switch.h"
#include "flt/text_record.h"
#include "flt/vector.h"
#include "host/memory_node.h"
#include "host/user_text.h"

namespace {

// A record within the limit reads back as it was written, so a parse that disagrees
// with its serialise shows as well as a write that runs over.
void writeAndRead(FltRecordBase& record) {
  FltRecord bytes;
  record.serialise(bytes, kDefaultRevision);
  if (bytes.length() > FltRecord::kMaxLength) std::abort();
  std::unique_ptr<FltRecordBase> again = newTableRecord(record.opcode());
  if (!again) return;
  again->parse(bytes, kDefaultRevision);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Text up to the first NUL is the node's own; the rest answers as the host's defaults.
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t nul = input.find('\0');
  MemoryNode node("fuzz", nullptr);
  node.setUserText(std::string(input.substr(0, nul)));
  // Each further line "key=value" is one default.
  for (size_t at = nul; at != std::string_view::npos && at < input.size();) {
    const size_t end = std::min(input.find('\n', at + 1), input.size());
    const std::string_view line = input.substr(at + 1, end - at - 1);
    const size_t eq = line.find('=');
    if (eq != std::string_view::npos)
      node.setDefault(std::string(line.substr(0, eq)), std::string(line.substr(eq + 1)));
    at = end;
  }

  for (size_t s = 0; s < kAttrTableSetCount; ++s) {
    const AttrTableSet& set = kAttrTableSets[s];
    std::unique_ptr<FltRecordBase> record = newTableRecord(set.opcode);
    if (!record) std::abort();
    static_cast<void>(applyAttributes(&node, record.get(), &set));
    writeAndRead(*record);
  }

  // Whatever FltType says, a kind found is one the opcode table knows.
  for (bool fallback : {false, true}) {
    int opcode = 0;
    if (readNodeKind(&node, fallback, &opcode) && opcodeCategory(opcode) < 0) std::abort();
  }

  FltFace face;
  FltColorPalette palette;
  static_cast<void>(readFaceColors(node, face, palette));
  writeAndRead(face);
  writeAndRead(palette);

  FltSwitch sw;
  static_cast<void>(readSwitchMasks(node, sw));
  writeAndRead(sw);

  FltVector vector;
  double xyz[3] = {vector.i, vector.j, vector.k};
  if (readNodeVector(node, xyz)) {
    vector.i = xyz[0];
    vector.j = xyz[1];
    vector.k = xyz[2];
  }
  writeAndRead(vector);

  std::string comment = node.userPropertyText();
  const size_t before = comment.size();
  stripFltKeys(comment);
  if (comment.size() > before) std::abort();
  FltComment record(comment.c_str());
  writeAndRead(record);
  static_cast<void>(normalizeLineEnds(input));
  return 0;
}
