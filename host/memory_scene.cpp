#include "host/memory_scene.h"

MemoryScene::MemoryScene() : root_(std::make_unique<MemoryNode>("", nullptr)) {}

MemoryNode& MemoryScene::addNode(const std::string& name) {
  return addNode(name, *root_);
}

MemoryNode& MemoryScene::addNode(const std::string& name, MemoryNode& parent) {
  ++nodeCount_;
  return parent.adoptChild(std::make_unique<MemoryNode>(name, &parent));
}

MemoryStandardMaterial& MemoryScene::addStandardMaterial(const std::string& name) {
  auto material = std::make_unique<MemoryStandardMaterial>(name);
  MemoryStandardMaterial& ref = *material;
  materials_.push_back(std::move(material));
  return ref;
}

MemoryMultiMaterial& MemoryScene::addMultiMaterial(const std::string& name) {
  auto material = std::make_unique<MemoryMultiMaterial>(name);
  MemoryMultiMaterial& ref = *material;
  materials_.push_back(std::move(material));
  return ref;
}

MemoryBitmapTexture& MemoryScene::addBitmapTexture(const std::string& fileName) {
  auto map = std::make_unique<MemoryBitmapTexture>(fileName, bitmaps_);
  MemoryBitmapTexture& ref = *map;
  maps_.push_back(std::move(map));
  return ref;
}
