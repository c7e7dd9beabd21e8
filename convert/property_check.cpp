#include "convert/property_check.h"

#include <cctype>
#include <cstring>
#include <optional>

#include "attributes/apply_attributes.h"
#include "attributes/attr_registry.h"
#include "convert/export_context.h"
#include "convert/light_point_converter.h"
#include "convert/property_vocabulary.h"
#include "flt/bsp.h"
#include "flt/clip_region.h"
#include "flt/dof.h"
#include "flt/external_ref.h"
#include "flt/face.h"
#include "flt/group.h"
#include "flt/header.h"
#include "flt/light_point.h"
#include "flt/lod.h"
#include "flt/object.h"
#include "flt/opcodes.h"
#include "flt/switch.h"
#include "plugin/scene_node.h"

namespace {

std::string_view trim(std::string_view s) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

// Lines of `key = value` as the host reads them: a line ends at any '\r' or '\n',
// and both sides of the first '=' are trimmed of spaces and tabs.
template <class Entry>
std::vector<Entry> textEntries(std::string_view text) {
  std::vector<Entry> entries;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(pos, end - pos);
    const size_t eq = line.find('=');
    if (eq != std::string_view::npos)
      entries.push_back({trim(line.substr(0, eq)), trim(line.substr(eq + 1))});
    pos = end + 1;
  }
  return entries;
}

bool startsWithFlt(std::string_view key) {
  return key.size() >= 3 && equalsNoCase(key.substr(0, 3), "Flt");
}

// The row of `key` in either table of the set.
const AttrDescriptor* rowOf(const AttrTableSet* set, std::string_view key) {
  if (!set) return nullptr;
  for (const AttrDescriptor* table : {set->secondary, set->primary})
    for (const AttrDescriptor* row = table; row && !row->isEnd(); ++row)
      if (key == row->key) return row;
  return nullptr;
}

const AttrTableSet* setOf(int opcode) {
  return findAttrTableSet(opcode);
}

// The kind of record a key belongs to, in words, for "takes no ... properties".
std::string kindWords(std::string_view key) {
  for (const VocabularyKey& k : propertyVocabulary()) {
    if (key != k.key) continue;
    const char* kind = k.set ? k.set->name : k.outside->kind;
    if (!kind) return "such";
    if (std::strcmp(kind, "Light Points") == 0) return "light point";
    if (std::strcmp(kind, "OpenFlight Header") == 0) return "header";
    if (std::strcmp(kind, "Level of Detail") == 0) return "level-of-detail";
    if (std::strcmp(kind, "Degree of Freedom") == 0) return "DOF";
    if (std::strcmp(kind, "Binary Separating Plane") == 0) return "BSP";
    std::string words = kind;
    for (char& c : words) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return words;
  }
  return "such";
}

// The kinds FltType names that the walk has a record for.
struct KindName {
  const char* name;
  int opcode;
};
constexpr KindName kNodeKinds[] = {
    {"Group", FltGroup::kOpcode},
    {"Object", FltObject::kOpcode},
    {"Face", FltFace::kOpcode},
    {"LOD", FltLod::kOpcode},
    {"Switch", FltSwitch::kOpcode},
    {"DOF", FltDof::kOpcode},
    {"BSP", FltBsp::kOpcode},
    {"Clip_Region", FltClipRegion::kOpcode},
    {"External_Ref", FltExternalRef::kOpcode},
    {"Light_Point", FltLightPoint::kOpcode},
};

// Where a key of that kind does take effect.
std::string whereTaken(std::string_view key) {
  for (const VocabularyKey& k : propertyVocabulary()) {
    if (key != k.key) continue;
    const int opcode = k.set ? k.set->opcode : FltFace::kOpcode;
    if (opcode == FltFace::kOpcode) return "face properties go on a node whose mesh becomes faces";
    for (const KindName& kind : kNodeKinds)
      if (kind.opcode == opcode) return kindWords(key) + " properties need FltType = " + kind.name;
    return kindWords(key) + " properties go on the node named FLT_HEADER";
  }
  return "";
}

const char* describe(NodeWrite what, bool faces) {
  switch (what) {
    case NodeWrite::kNothing:
      return "the node has no children, so nothing is written for it";
    case NodeWrite::kPlain:
      return faces ? "the node takes the default path (a plain group and faces of its mesh)"
                   : "the node takes the default path and writes no faces";
    case NodeWrite::kGroup:
      return "the node becomes a group record";
    case NodeWrite::kFaces:
      return "the node becomes faces";
    case NodeWrite::kLightString:
      return "the node becomes a light-string face";
    case NodeWrite::kLightPoint:
      return "the node becomes a light point";
    case NodeWrite::kLightVertex:
      return "the node is a light vertex, which takes only its position";
    case NodeWrite::kDof:
      return "the node becomes a DOF record (its own mesh is not written)";
    case NodeWrite::kBsp:
      return "the node becomes a BSP record (its own mesh is not written)";
    case NodeWrite::kClipRegion:
      return "the node becomes a clip region (its own mesh is not written)";
    case NodeWrite::kExternalRef:
      return "the node becomes an external reference (its mesh and children are not written)";
    case NodeWrite::kLod:
      return "the node becomes a level of detail (its own mesh is not written)";
    case NodeWrite::kSwitch:
      return "the node becomes a switch (its own mesh is not written)";
  }
  return "";
}

// The table set the node's record was filled from, if any.
const AttrTableSet* recordSet(NodeWrite what, bool faces) {
  switch (what) {
    case NodeWrite::kGroup:
      return setOf(FltGroup::kOpcode);
    case NodeWrite::kFaces:
    case NodeWrite::kLightString:
      return setOf(FltFace::kOpcode);
    case NodeWrite::kPlain:
      return faces ? setOf(FltFace::kOpcode) : nullptr;
    case NodeWrite::kLightPoint:
      return setOf(FltLightPoint::kOpcode);
    case NodeWrite::kDof:
      return setOf(FltDof::kOpcode);
    case NodeWrite::kBsp:
      return setOf(FltBsp::kOpcode);
    case NodeWrite::kClipRegion:
      return setOf(FltClipRegion::kOpcode);
    case NodeWrite::kExternalRef:
      return setOf(FltExternalRef::kOpcode);
    case NodeWrite::kLod:
      return setOf(FltLod::kOpcode);
    case NodeWrite::kSwitch:
      return setOf(FltSwitch::kOpcode);
    default:
      return nullptr;
  }
}

bool allHexDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

std::string enumTexts(const AttrEnumEntry* entries) {
  std::string texts;
  for (const AttrEnumEntry* e = entries; e && e->name; ++e)
    texts += (texts.empty() ? "" : ", ") + std::string(e->name);
  return texts;
}

// The entry a mistyped text most likely meant: the same but for case, or within two edits.
const char* nearestEntry(const AttrEnumEntry* entries, std::string_view text) {
  const char* best = nullptr;
  size_t bestDistance = 3;
  for (const AttrEnumEntry* e = entries; e && e->name; ++e) {
    const size_t d = editDistanceNoCase(text, e->name);
    if (d < bestDistance) {
      bestDistance = d;
      best = e->name;
    }
  }
  return best;
}

std::string kindList() {
  std::string list;
  for (const KindName& k : kNodeKinds) list += std::string(k.name) + ", ";
  return list + LightPointConverter::kLightVertexType + " (on a light vertex)";
}

const char* nearestKind(std::string_view text) {
  const char* best = nullptr;
  size_t bestDistance = 3;
  for (const KindName& k : kNodeKinds) {
    for (const std::string& form : {std::string(k.name), "FLT_" + std::string(k.name)}) {
      const size_t d = editDistanceNoCase(text, form);
      if (d < bestDistance) {
        bestDistance = d;
        best = k.name;
      }
    }
  }
  return best;
}

bool isNodeKind(int opcode) {
  for (const KindName& k : kNodeKinds)
    if (k.opcode == opcode) return true;
  return false;
}

bool nearLightVertex(std::string_view type) {
  return type != LightPointConverter::kLightVertexType &&
         editDistanceNoCase(type, LightPointConverter::kLightVertexType) <= 2;
}

std::string quoted(std::string_view key, std::string_view value) {
  return std::string(key) + " = " + std::string(value);
}

}  // namespace

void PropertyCheck::prepare(const ExportContext& context) {
  context_ = &context;
  header_ = nullptr;
  reported_.clear();
  nodes_.clear();
  warnings_ = 0;
}

std::string PropertyCheck::summary() const {
  if (warnings_ == 0) return "";
  const int nodes = nodeCount();
  return std::to_string(warnings_) + (warnings_ == 1 ? " property warning" : " property warnings") +
         " on " + std::to_string(nodes) + (nodes == 1 ? " node" : " nodes");
}

void PropertyCheck::report(const SceneNode& node, const std::string& key, const std::string& text) {
  if (!reported_.insert({&node, key}).second) return;
  nodes_.insert(&node);
  ++warnings_;
  if (context_) context_->warn(nodeName(&node) + ": " + text);
}

void PropertyCheck::nodeWritten(const SceneNode& node, NodeWrite what, bool faces) {
  const std::string text = node.userPropertyText();
  if (text.empty()) return;
  const std::vector<Entry> entries = textEntries<Entry>(text);
  std::set<std::string_view> seen;
  for (const Entry& entry : entries) {
    if (!startsWithFlt(entry.key)) continue;
    if (!seen.insert(entry.key).second) {
      report(node, std::string(entry.key),
             std::string(entry.key) + " is given more than once; only the first line is read");
      continue;
    }
    checkKey(node, entry, what, faces, entries);
  }
  if (what == NodeWrite::kLod) checkLodDistances(node, entries);
}

void PropertyCheck::lightChildLeftOut(const SceneNode& child) {
  const std::string text = child.userPropertyText();
  const std::vector<Entry> entries = textEntries<Entry>(text);
  for (const Entry& entry : entries) {
    if (entry.key != "FltType") continue;
    if (nearLightVertex(entry.value))
      report(child, "FltType",
             quoted(entry.key, entry.value) + ": did you mean " +
                 LightPointConverter::kLightVertexType +
                 "? The light-vertex marker is matched exactly, so the node is left out of its "
                 "parent's light string");
    return;
  }
  report(child, "FltType",
         std::string("has no FltType = ") + LightPointConverter::kLightVertexType +
             ", so it is left out of its parent's light string and not written");
}

void PropertyCheck::checkKey(const SceneNode& node, const Entry& entry, NodeWrite what, bool faces,
                             const std::vector<Entry>& entries) {
  const std::string key(entry.key);
  if (!isVocabularyKey(key)) {
    const char* nearest = nearestKey(key);
    report(node, key,
           "unknown property " + key +
               (nearest ? std::string("; did you mean ") + nearest + "?" : ""));
    return;
  }
  if (key == "FltType") {
    checkType(node, entry.value, what);
    return;
  }
  auto noEffect = [&](const std::string& why) {
    report(node, key, key + " has no effect: " + why);
  };
  if (key == "FltComment") {
    noEffect("a node's comment record is the rest of its user text");
    return;
  }
  if (key == "FltImporterVersion") {
    noEffect("no record takes it");
    return;
  }
  if (key == LightPointConverter::kLightVertexType) {
    noEffect(std::string("it is a value of FltType (FltType = ") +
             LightPointConverter::kLightVertexType + ")");
    return;
  }
  if (rowOf(setOf(FltObject::kOpcode), key) && !rowOf(setOf(FltGroup::kOpcode), key)) {
    noEffect("object records take no properties");
    return;
  }

  const bool header = &node == header_;
  const AttrTableSet* set = recordSet(what, faces);
  const AttrDescriptor* row = rowOf(set, key);
  if (!row && header) row = rowOf(setOf(FltHeader::kOpcode), key);
  const bool lit = what == NodeWrite::kLightPoint || what == NodeWrite::kLightString;
  const bool faceColor = key == "FltFaceColor" || key == "FltAltColor";
  const bool vector = key.rfind("FltVector", 0) == 0;
  const bool taken = row || (faceColor && set == setOf(FltFace::kOpcode)) || (vector && lit);
  if (taken && what == NodeWrite::kLightString &&
      (key == "FltSuperFace" || key == "FltUseMaterial")) {
    noEffect("a light-string face writes no faces of the node's mesh");
    return;
  }
  if (!taken) {
    if (rowOf(setOf(FltHeader::kOpcode), key))
      noEffect("header properties are read from the node named FLT_HEADER only");
    else if (vector)
      noEffect("vectors go with a light point or a light-string face");
    else if (what == NodeWrite::kNothing || what == NodeWrite::kLightVertex)
      noEffect(describe(what, faces));
    else if (what == NodeWrite::kPlain && rowOf(setOf(FltGroup::kOpcode), key))
      noEffect(
          "without FltType the node's group is a plain one, which takes no group "
          "properties (FltType = Group takes them)");
    else if (what == NodeWrite::kPlain && !faces)
      noEffect("the node writes no faces (it has no mesh), so it takes no " + kindWords(key) +
               " properties");
    else
      noEffect(std::string(describe(what, faces)) + "; " + whereTaken(key));
    return;
  }

  if (what == NodeWrite::kSwitch) {
    auto given = [&](const char* k) {
      int v = 0;
      for (const Entry& e : entries)
        if (e.key == k) return node.userPropertyInt(k, v);
      return false;
    };
    if (key == "FltSwitchMaskCount" && !given("FltSwitchCurr") && !given("FltSwitchMaskWidth")) {
      noEffect("masks are read only with FltSwitchCurr or FltSwitchMaskWidth");
      return;
    }
    if (key == "FltSwitchMaskData" && !given("FltSwitchMaskCount")) {
      noEffect("mask data is read only with FltSwitchMaskCount");
      return;
    }
  }

  const std::string given = quoted(entry.key, entry.value);
  if (faceColor || key == "FltSwitchMaskData") {
    if (!allHexDigits(entry.value))
      report(node, key, given + " is not hex digits" + (faceColor ? " RRGGBBAA (FF8000FF)" : ""));
    else if (faceColor && entry.value.size() > 8)
      report(node, key, given + " has more than 8 hex digits; only RRGGBBAA is read");
    return;
  }
  if (vector) {
    float v = 0.0f;
    if (!node.userPropertyFloat(key.c_str(), v))
      report(node, key, given + " is not a number; the vector keeps its default");
    return;
  }
  // These two are read outside the tables, each by a reader of its own.
  if (key == "FltSuperFace") {
    int v = 0;
    if (!node.userPropertyInt(key.c_str(), v))
      report(node, key, given + " is not a whole number (1 or 0); it counts as 0");
    return;
  }
  if (key == "FltUseMaterial") {
    bool v = false;
    if (!node.userPropertyBool(key.c_str(), v))
      report(node, key, given + " is not Yes or No (or true/false, on/off, 1/0); it counts as No");
    return;
  }
  switch (row->type) {
    case AttrType::kInteger: {
      int v = 0;
      if (!node.userPropertyInt(key.c_str(), v))
        report(node, key, given + " is not a whole number; the record keeps its default");
      break;
    }
    case AttrType::kFloat: {
      float v = 0.0f;
      if (!node.userPropertyFloat(key.c_str(), v))
        report(node, key, given + " is not a number; the record keeps its default");
      break;
    }
    case AttrType::kEnumeration: {
      int32_t v = 0;
      const std::string spaced = underscoresToSpaces(std::string(entry.value));
      if (enumValueOf(row->enumeration, spaced.c_str(), &v)) break;
      const char* nearest = nearestEntry(row->enumeration, spaced);
      report(node, key,
             given + " is not one of " + enumTexts(row->enumeration) +
                 " (exactly so, _ for a space); the record keeps its default" +
                 (nearest ? std::string("; did you mean ") + nearest + "?" : ""));
      break;
    }
    case AttrType::kMaskData:
      if (!allHexDigits(entry.value)) report(node, key, given + " is not hex digits");
      break;
    default:
      break;
  }
}

void PropertyCheck::checkType(const SceneNode& node, std::string_view value, NodeWrite what) {
  const std::string given = quoted("FltType", value);
  if (value == LightPointConverter::kLightVertexType) {
    if (what != NodeWrite::kLightVertex)
      report(node, "FltType",
             given +
                 " has no effect: the node's parent is no light point or light-string face, "
                 "so it is written as an ordinary node");
    return;
  }
  if (nearLightVertex(value)) {
    report(node, "FltType",
           given + ": did you mean " + LightPointConverter::kLightVertexType +
               "? The light-vertex marker is matched exactly");
    return;
  }
  int16_t opcode = 0;
  const std::string text(value);
  if (!opcodeFromName(text.c_str(), &opcode)) {
    const char* nearest = nearestKind(value);
    report(node, "FltType",
           given + " names no node kind" +
               (nearest ? std::string("; did you mean ") + nearest + "?" : "") +
               " Accepted, in any case: " + kindList());
    return;
  }
  if (!isNodeKind(opcode)) {
    report(node, "FltType",
           given + " names no node kind the export writes (accepted: " + kindList() +
               "); the node is written as an untyped one");
    return;
  }
  if (opcode == FltLightPoint::kOpcode && what == NodeWrite::kPlain)
    report(node, "FltType",
           given +
               " has no effect: a light point needs a light point property and at least "
               "one child, so the node takes the default path");
  else if (what == NodeWrite::kNothing)
    report(node, "FltType", given + ": the node has no children, so nothing is written for it");
}

void PropertyCheck::checkLodDistances(const SceneNode& node, const std::vector<Entry>& entries) {
  FltLod defaults;
  double in = defaults.switchInDistance, out = defaults.switchOutDistance;
  bool given = false;
  for (const char* key : {"FltLodMin", "FltLodMax"}) {
    float v = 0.0f;
    bool inText = false;
    for (const Entry& e : entries) inText = inText || e.key == key;
    if (!inText || !node.userPropertyFloat(key, v)) continue;
    given = true;
    (std::strcmp(key, "FltLodMin") == 0 ? in : out) = v;
  }
  if (!given || !(in < out)) return;
  auto number = [](double d) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", d);
    return std::string(text);
  };
  report(node, "FltLodMin/FltLodMax",
         "the distances look swapped: FltLodMin holds the switch-in (far) distance, " + number(in) +
             ", and FltLodMax the switch-out (near) one, " + number(out) +
             "; the node is drawn only nearer than the first and farther than the second, "
             "so never");
}
