#pragma once
// Support of the host tests: temporary folders and files, a small PNG, nodes and
// meshes found by name, and points compared with a tolerance.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "plugin/scene_node.h"
#include "plugin/tri_object.h"

// A 3 x 2 RGB PNG: signature, IHDR, one IDAT, IEND.
inline const std::vector<unsigned char> kPng3x2 = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44,
    0x52, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x02, 0x08, 0x02, 0x00, 0x00, 0x00, 0x12,
    0x16, 0xF1, 0x4D, 0x00, 0x00, 0x00, 0x10, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0xF8,
    0xCF, 0xC0, 0x00, 0x41, 0x0C, 0x70, 0x16, 0x00, 0x41, 0xD2, 0x05, 0xFB, 0x87, 0xF0, 0xB9,
    0x48, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

// An empty folder of this process and test under the test temporary directory.
inline std::filesystem::path freshDir() {
  const auto* test = testing::UnitTest::GetInstance()->current_test_info();
  const std::filesystem::path dir =
      std::filesystem::path(testing::TempDir()) /
      ("zorvel_" + std::to_string(getpid()) + "_" + test->test_suite_name() + "_" + test->name());
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

// Text or bytes, written as they are.
template <class Bytes>
void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline testing::AssertionResult near(const Point3& a, const Point3& b, float tolerance = 1e-5f) {
  if (std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance &&
      std::fabs(a.z - b.z) <= tolerance)
    return testing::AssertionSuccess();
  return testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ") is not ("
                                     << b.x << ", " << b.y << ", " << b.z << ")";
}

inline SceneNode* findNode(SceneNode* node, const std::string& name) {
  if (node->name() && name == node->name()) return node;
  for (int i = 0; i < node->childCount(); ++i)
    if (SceneNode* found = findNode(node->child(i), name)) return found;
  return nullptr;
}

inline Mesh* meshOf(SceneNode* node) {
  SceneObject* object = node ? node->evalWorldState(0).obj : nullptr;
  TriObject* tri = object ? object->asTriObject() : nullptr;
  return tri ? &tri->mesh : nullptr;
}
