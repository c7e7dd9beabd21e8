#pragma once
// One quick pass over a glTF document's JSON before tinygltf parses it: how deep
// it nests (the parser recurses, and a hostile file would overflow the stack), how
// long its top-level arrays are (tinygltf grows its vectors element by element), and
// the metadata Assimp's glTF 2 importer gives each node. tinygltf keeps an
// object's members sorted by key and its integers as int, but the user text
// lists the extras in the file's order, with 64-bit integers.

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct aiMetadata;

struct GltfOutline {
  int depth = 0;                         // of the deepest object or array
  std::map<std::string, size_t> arrays;  // top-level array member: its length
  // One entry per element of "nodes": null for a node without extras or
  // extensions. Extensions come first, as one nested entry; nested objects and
  // arrays are kept empty, as no user text is made of them.
  std::vector<std::unique_ptr<aiMetadata>> nodeMetadata;

  size_t length(const char* array) const {
    const auto it = arrays.find(array);
    return it == arrays.end() ? 0 : it->second;
  }
};

// False when the text is no JSON object; the scan stops at `maxDepth`.
bool outlineGltf(std::string_view json, int maxDepth, GltfOutline& outline);
