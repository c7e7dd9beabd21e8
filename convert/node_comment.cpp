#include "convert/node_comment.h"

#include <string_view>

#include "attributes/outside_key.h"
#include "flt/output_file.h"
#include "flt/text_record.h"
#include "plugin/scene_node.h"

// clang-format off
const char* const kFltPropertyKeys[kFltPropertyKeyCount] = {
    "FltType", "FltComment", "FltVersion", "FltUnits", "FltProjection", "FltEllipsoid",
    "FltOriginLat", "FltOriginLon", "FltUpperLam", "FltLowerLam", "FltImporterVersion",
    "FltIRColor", "FltIRMaterial", "FltSmc", "FltFid", "FltBillboard", "FltDrawType",
    "FltFaceColor", "FltAltColor", "FltLightMode", "FltTerrain", "FltHidden", "FltFootprint",
    "FltUseMaterial", "FltVectorX", "FltVectorY", "FltVectorZ", "FltSuperFace", "FltLightVtx",
    "FltLodMax", "FltLodMin", "FltLodTrans", "FltLodCx", "FltLodCy", "FltLodCz", "FltLodFrozen",
    "FltLodSpecial1", "FltLodSpecial2", "FltLtPtBackColor", "FltLtPtDisplayMode",
    "FltLtPtIntensity", "FltLtPtBackIntensity", "FltLtPtMinDefocus", "FltLtPtMaxDefocus",
    "FltLtPtDisableFade", "FltLtPtDisableFog", "FltLtPtDisableDir", "FltLtPtDisableRange",
    "FltLtPtMinPixelSize", "FltLtPtMaxPixelSize", "FltLtPtActualPixelSize", "FltLtPtXprPixelSize",
    "FltLtPtXprOffExpnt", "FltLtPtXprScalar", "FltLtPtXprClamp", "FltLtPtFogScalar",
    "FltLtPtSizeThreshold", "FltLtPtDirectonType", "FltLtPtHorizLobe", "FltLtPtVertLobe",
    "FltLtPtLobeRoll", "FltLtPtDirFalloff", "FltLtPtDirAmbient", "FltLtPtAnimPeriod",
    "FltLtPtAnimPhase", "FltLtPtAnimEnabled", "FltLtPtSignificance", "FltLtPtDrawOrder",
    "FltLtPtRotationX", "FltLtPtRotationY", "FltLtPtRotationZ", "FltLtPtNoBackColor",
    "FltLtPtProxOccult", "FltLtPtReflective", "FltLtPtRandomize", "FltLtPtPerspective",
    "FltLtPtFlashing", "FltLtPtRotating", "FltLtPtRotateCCW", "FltLtPtQuality", "FltLtPtVisDay",
    "FltLtPtVisDusk", "FltLtPtVisNight", "FltXRefFilename", "FltXRefOverrideColors",
    "FltXRefOverrideMaterials", "FltXRefOverrideTextures", "FltXRefOverrideSounds",
    "FltXRefOverrideLtSrcs", "FltXRefOverrideLnStyle", "FltGrpRelPriority", "FltGrpSpecial1",
    "FltGrpSpecial2", "FltGrpSignificance", "FltGrpLayer", "FltGrpFwdAnim", "FltGrpCycleAnim",
    "FltGrpBBox", "FltGrpFrzBBox", "FltGrpDfltParent", "FltObjRelPriority", "FltObjTransparency",
    "FltObjSignificance", "FltObjNoDay", "FltObjNoDusk", "FltObjNoNight", "FltObjIlluminate",
    "FltObjFlatShaded", "FltObjGroupShadow", "FltObjSpecial1", "FltObjSpecial2", "FltDofOriginX",
    "FltDofOriginY", "FltDofOriginZ", "FltDofXAxisX", "FltDofXAxisY", "FltDofXAxisZ",
    "FltDofXYPlaneX", "FltDofXYPlaneY", "FltDofXYPlaneZ", "FltDofTxCurr", "FltDofTxIncr",
    "FltDofTxMin", "FltDofTxMax", "FltDofTyCurr", "FltDofTyIncr", "FltDofTyMin", "FltDofTyMax",
    "FltDofTzCurr", "FltDofTzIncr", "FltDofTzMin", "FltDofTzMax", "FltDofSxCurr", "FltDofSxIncr",
    "FltDofSxMin", "FltDofSxMax", "FltDofSyCurr", "FltDofSyIncr", "FltDofSyMin", "FltDofSyMax",
    "FltDofSzCurr", "FltDofSzIncr", "FltDofSzMin", "FltDofSzMax", "FltDofRollCurr",
    "FltDofRollIncr", "FltDofRollMin", "FltDofRollMax", "FltDofPitchCurr", "FltDofPitchIncr",
    "FltDofPitchMin", "FltDofPitchMax", "FltDofYawCurr", "FltDofYawIncr", "FltDofYawMin",
    "FltDofYawMax", "FltDofTxLimited", "FltDofTyLimited", "FltDofTzLimited", "FltDofSxLimited",
    "FltDofSyLimited", "FltDofSzLimited", "FltDofRollLimited", "FltDofPitchLimited",
    "FltDofYawLimited", "FltBspA", "FltBspB", "FltBspC", "FltBspD", "FltSwitchCurr",
    "FltSwitchMaskWidth", "FltSwitchMaskCount", "FltSwitchMaskData", "FltClipX0", "FltClipY0",
    "FltClipZ0", "FltClipX1", "FltClipY1", "FltClipZ1", "FltClipX2", "FltClipY2", "FltClipZ2",
    "FltClipX3", "FltClipY3", "FltClipZ3", "FltClipBottom", "FltClipRight", "FltClipTop",
    "FltClipLeft", "FltClipBack",
};
// clang-format on

namespace {

// Removes every line part from an occurrence of `key` through the carriage return after
// it (and one line feed right behind that), exactly as searching the whole text again
// after each removal would, but in one pass: text kept so far can end with the start
// of a key whose rest follows the removed part, so those joins are checked too.
void stripKey(std::string& text, std::string_view key) {
  if (text.find(key) == std::string::npos) return;
  std::string kept;
  kept.reserve(text.size());
  size_t cursor = 0;  // first character of `text` not yet kept or removed
  while (true) {
    // A key that starts in the kept text and ends in the rest.
    bool joined = false;
    if (!kept.empty()) {
      std::string_view rest(text);
      rest.remove_prefix(cursor);
      size_t first = kept.size() > key.size() - 1 ? kept.size() - (key.size() - 1) : 0;
      for (size_t start = first; start < kept.size(); ++start) {
        size_t head = kept.size() - start;
        if (std::string_view(kept).substr(start) == key.substr(0, head) &&
            rest.substr(0, key.size() - head) == key.substr(head)) {
          kept.resize(start);
          cursor += key.size() - head;
          joined = true;
          break;
        }
      }
    }
    if (!joined) {
      size_t hit = text.find(key, cursor);
      if (hit == std::string::npos) break;
      kept.append(text, cursor, hit - cursor);
      cursor = hit + key.size();
    }
    // A key without a carriage return after it takes the rest of the text with it.
    size_t cr = text.find('\r', cursor);
    if (cr == std::string::npos) {
      cursor = text.size();
      break;
    }
    cursor = cr + 1;
    if (cursor < text.size() && text[cursor] == '\n') ++cursor;
  }
  kept.append(text, cursor, std::string::npos);
  text.swap(kept);
}

}  // namespace

void stripFltKeys(std::string& text) {
  for (const char* key : kFltPropertyKeys) {
    if (text.empty()) return;
    stripKey(text, key);
  }
}

int writeNodeComment(const SceneNode& node, FltOutputFile& file) {
  std::string text = node.userPropertyText();
  if (text.empty()) return 0;
  stripFltKeys(text);
  // The record cuts a text too long for it.
  FltComment comment(text.c_str());
  return file.write(comment);
}

const OutsideKey kImporterVersionKey = {
    "FltImporterVersion",
    nullptr,
    OutsideKeyValue::kNoRecord,
    "any text",
    "nothing: importers leave it behind, and it stays out of the comment record",
    "nothing"};
