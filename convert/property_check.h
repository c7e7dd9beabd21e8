#pragma once
// The checks every export runs over the properties typed on its nodes: keys no
// reader knows, keys the node's record does not take, values its readers refuse,
// and levels of detail whose distances look swapped. Each finding is one warning
// through the export's sink, once per node and key. Only the node's own user text
// is checked, never what a host answers for keys the text lacks.

#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class ExportContext;
class SceneNode;

// What the walk wrote for a node, as far as its properties go.
enum class NodeWrite {
  kNothing,      // no record: a group or level of detail without children
  kPlain,        // the default path: a plain group around the children, faces for geometry
  kGroup,        // a group record from the group table (FltType Group or Object)
  kFaces,        // faces of the node's mesh
  kLightString,  // a light-string face
  kLightPoint,
  kLightVertex,  // a vertex of its parent's light string
  kDof,
  kBsp,
  kClipRegion,
  kExternalRef,
  kLod,
  kSwitch,
};

class PropertyCheck {
 public:
  void prepare(const ExportContext& context);
  // The node the header options come from; it takes the header keys.
  void setHeaderNode(const SceneNode* node) { header_ = node; }

  // Once for every node the walk wrote; `faces`: the default path wrote its mesh.
  void nodeWritten(const SceneNode& node, NodeWrite what, bool faces = false);
  // A child of a light point or light-string face without the light-vertex marker.
  void lightChildLeftOut(const SceneNode& child);

  int warningCount() const { return warnings_; }
  int nodeCount() const { return static_cast<int>(nodes_.size()); }
  // "7 property warnings on 4 nodes"; empty without a finding.
  std::string summary() const;

 private:
  struct Entry {
    std::string_view key;
    std::string_view value;
  };

  void report(const SceneNode& node, const std::string& key, const std::string& text);
  void checkType(const SceneNode& node, std::string_view value, NodeWrite what);
  void checkKey(const SceneNode& node, const Entry& entry, NodeWrite what, bool faces,
                const std::vector<Entry>& entries);
  void checkLodDistances(const SceneNode& node, const std::vector<Entry>& entries);

  const ExportContext* context_ = nullptr;
  const SceneNode* header_ = nullptr;
  std::set<std::pair<const SceneNode*, std::string>> reported_;
  std::set<const SceneNode*> nodes_;
  int warnings_ = 0;
};
