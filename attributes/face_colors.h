#pragma once

class SceneNode;
class FltFace;
class FltColorPalette;

// The face's attribute tables, then FltFaceColor and FltAltColor as RRGGBBAA hex
// texts: each sets its packed color and palette index and clears its no-color flag.
// Components the text does not reach are 0. 1 when anything was found.
[[nodiscard]] int readFaceColors(const SceneNode& node, FltFace& face, FltColorPalette& palette);

struct OutsideKey;
// FltFaceColor and FltAltColor.
extern const OutsideKey kFaceColorKeys[2];
