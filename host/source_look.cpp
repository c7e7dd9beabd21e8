#include "host/source_look.h"

#include <cstdio>

#include "host/memory_node.h"

namespace {

// As the exporter turns a material's colour into bytes (truncating), so that the
// wire colour and the faces of its material share one palette entry.
unsigned toByte(float v) {
  if (!(v > 0.0f)) return 0;
  if (v >= 1.0f) return 255;
  return static_cast<unsigned>(v * 255.0);
}

}  // namespace

void applySourceLook(MemoryNode& node, const SourceLook& look) {
  if (look.firstColor) {
    const Color& c = *look.firstColor;
    node.setWireColor(toByte(c.r) | toByte(c.g) << 8 | toByte(c.b) << 16);
  }
  if (look.lit)
    node.setDefault("FltLightMode",
                    look.vertexColors ? "Vertex Color Smooth" : "Face Color Smooth");
  if (look.twoSided) node.setDefault("FltDrawType", "1");
  const uint32_t wire = node.wireColor();
  char color[16];
  std::snprintf(color, sizeof color, "%02X%02X%02XFF", wire & 0xFF, (wire >> 8) & 0xFF,
                (wire >> 16) & 0xFF);
  node.setDefault("FltFaceColor", color);
}
