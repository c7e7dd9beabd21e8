#pragma once
// A scene held in memory, built in code or by a loader: the root node (the scene
// itself), the node tree, materials, texture maps and the bitmap manager.
//
//   MemoryScene scene;
//   MemoryNode& lod = scene.addNode("lod").addProperty("FltType", "LOD");
//   scene.addNode("near", lod).setMesh(makeBox({0, 0, 0}, {1, 1, 1}));

#include <memory>
#include <string>
#include <vector>

#include "host/bitmap_manager.h"
#include "host/memory_material.h"
#include "host/memory_node.h"
#include "host/memory_texture.h"
#include "host/pending_images.h"

class MemoryScene {
 public:
  MemoryScene();
  MemoryScene(const MemoryScene&) = delete;
  MemoryScene& operator=(const MemoryScene&) = delete;

  MemoryNode& root() { return *root_; }
  // A new last child of `parent` (of the root when none is given).
  MemoryNode& addNode(const std::string& name);
  MemoryNode& addNode(const std::string& name, MemoryNode& parent);

  // Materials and maps live as long as the scene; nodes and materials refer to them.
  MemoryStandardMaterial& addStandardMaterial(const std::string& name);
  MemoryMultiMaterial& addMultiMaterial(const std::string& name);
  MemoryBitmapTexture& addBitmapTexture(const std::string& fileName);

  FileBitmapManager& bitmapManager() { return bitmaps_; }
  // Embedded images waiting for the export to start.
  PendingImages& pendingImages() { return pendingImages_; }
  // Nodes below the root, all levels.
  int nodeCount() const { return nodeCount_; }

 private:
  // Declared first: maps refer to it until they are gone.
  FileBitmapManager bitmaps_;
  std::unique_ptr<MemoryNode> root_;
  std::vector<std::unique_ptr<Material>> materials_;
  std::vector<std::unique_ptr<TextureMap>> maps_;
  PendingImages pendingImages_;
  int nodeCount_ = 0;
};
