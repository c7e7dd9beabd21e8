// Our glTF reader's own rules: what it refuses and why, what it leaves to Assimp,
// the metadata it reads from the JSON itself, and files cut or garbled anywhere.
// tests/e2e/gltf_readers_agree_test.cpp holds it to Assimp on real scenes.
#include "host/gltf_reader.h"

#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "host/scene_loader.h"
#include "plugin/material.h"
#include "plugin/texture_map.h"
#include "tests/host/scene_test_support.h"
#include "tests/support/base64.h"

namespace fs = std::filesystem;

namespace {

template <class T>
void append(std::vector<unsigned char>& out, std::initializer_list<T> values) {
  for (T v : values) {
    unsigned char b[sizeof(T)];
    std::memcpy(b, &v, sizeof v);
    out.insert(out.end(), b, b + sizeof v);
  }
}

// One buffer: the triangle (0,0,0) (1,0,0) (0,1,0), then the indices 0 1 2 0 2 5.
std::vector<unsigned char> triangleBuffer() {
  std::vector<unsigned char> b;
  append<float>(b, {0, 0, 0, 1, 0, 0, 0, 1, 0});
  append<uint16_t>(b, {0, 1, 2, 0, 2, 5});
  return b;
}

// A document over triangleBuffer(): `accessors` and `views` replace the sound ones.
std::string document(const std::string& primitive = R"({"attributes":{"POSITION":0}})",
                     const std::string& accessors =
                         R"([{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"},
  {"bufferView":1,"componentType":5123,"count":6,"type":"SCALAR"}])",
                     const std::string& views = R"([{"buffer":0,"byteLength":36},
  {"buffer":0,"byteOffset":36,"byteLength":12}])",
                     const std::string& more = "") {
  return R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],
"nodes":[{"name":"tri","mesh":0}],"meshes":[{"name":"m","primitives":[)" +
         primitive + R"(]}],"accessors":)" + accessors + R"(,"bufferViews":)" + views +
         R"(,"buffers":[{"byteLength":48,"uri":"data:application/octet-stream;base64,)" +
         base64(triangleBuffer()) + R"("}])" + more + "}";
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

class GltfReaderTest : public ::testing::Test {
 protected:
  void TearDown() override { fs::remove_all(dir_); }

  std::string write(const std::string& name, const std::string& text) {
    writeFile(dir_ / name, text);
    return (dir_ / name).string();
  }
  SceneLoadResult load(const std::string& path, SceneReader reader = SceneReader::kAuto) {
    SceneLoadOptions options;
    options.reader = reader;
    options.outputDirectory = dir_.string();
    return loadScene(path, options);
  }

  const fs::path dir_ = freshDir();
};

TEST_F(GltfReaderTest, ExtrasKeepTheFileOrderAndAssimpsNumbers) {
  // Keys out of order and twice, an integer past 32 bits either way, a double
  // that is whole, a null; a light's range follows, its extension adds nothing.
  const std::string lights = R"(,"extensionsUsed":["KHR_lights_punctual"],
"extensions":{"KHR_lights_punctual":{"lights":[{"type":"point","range":10}]}})";
  const std::string text =
      document(R"({"attributes":{"POSITION":0}})",
               R"([{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"}])",
               R"([{"buffer":0,"byteLength":36}])", lights);
  const std::string path =
      write("extras.gltf", replaced(text, R"("nodes":[{"name":"tri","mesh":0}])",
                                    R"("nodes":[{"name":"tri","mesh":0,"extras":{"b":1,"a":"x",
  "b":true,"big":18446744073709551615,"neg":-5000000000,"z":null,"d":5.0,"nest":{"q":1}},
  "extensions":{"KHR_lights_punctual":{"light":0}}}])"));
  const SceneLoadResult ours = load(path), theirs = load(path, SceneReader::kAssimp);
  ASSERT_TRUE(ours && theirs) << ours.error << theirs.error;
  SceneNode* a = findNode(&ours.scene->root(), "tri");
  SceneNode* b = findNode(&theirs.scene->root(), "tri");
  ASSERT_TRUE(a && b);
  // Assimp keeps a negative 64-bit integer as its low 32 bits.
  EXPECT_EQ(a->userPropertyText(),
            "b = 1\r\na = x\r\nb = Yes\r\nbig = 18446744073709551615\r\nneg = -705032704\r\n"
            "d = 5\r\nPBR_LightRange = 10\r\n");
  EXPECT_EQ(a->userPropertyText(), b->userPropertyText());
}

TEST_F(GltfReaderTest, DataOutsideItsBufferIsRefusedWithTheReason) {
  const auto expectRefused = [&](const std::string& text, const std::string& why) {
    const std::string path = write("bad.gltf", text);
    const SceneLoadResult loaded = load(path);
    EXPECT_FALSE(loaded) << why;
    EXPECT_EQ(loaded.error.rfind("Error loading " + path + ": ", 0), 0u) << loaded.error;
    EXPECT_NE(loaded.error.find(why), std::string::npos) << loaded.error;
  };
  const std::string prim = R"({"attributes":{"POSITION":0},"indices":1})";
  const std::string view = R"([{"buffer":0,"byteLength":36},
  {"buffer":0,"byteOffset":36,"byteLength":12}])";
  // One vertex more than the view holds; the three 4 bytes in; an offset near 2^64.
  for (const char* positions :
       {R"({"bufferView":0,"componentType":5126,"count":4,"type":"VEC3"})",
        R"({"bufferView":0,"byteOffset":4,"componentType":5126,"count":3,"type":"VEC3"})",
        R"({"bufferView":0,"byteOffset":18446744073709551612,"componentType":5126,"count":3,
  "type":"VEC3"})"})
    expectRefused(
        document(prim,
                 std::string("[") + positions +
                     R"(,{"bufferView":1,"componentType":5123,"count":6,"type":"SCALAR"}])",
                 view),
        "accessor 0 reaches past the end of its buffer view");
  expectRefused(document(prim, R"([{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"},
  {"bufferView":1,"componentType":5123,"count":6,"type":"SCALAR"}])",
                         R"([{"buffer":0,"byteLength":36},
  {"buffer":0,"byteOffset":40,"byteLength":12}])"),
                "buffer view 1 reaches past the end of its buffer");
  expectRefused(document(prim, R"([{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"},
  {"bufferView":1,"componentType":5126,"count":3,"type":"SCALAR"}])",
                         view),
                "its indices are no whole numbers");
  expectRefused(document(R"({"attributes":{"POSITION":0},"indices":1,"material":3})"),
                "names material 3, which the file lacks");
}

TEST_F(GltfReaderTest, FacesPastTheLastVertexAreLeftOutAsAssimpLeavesThem) {
  const std::string path =
      write("past.gltf", document(R"({"attributes":{"POSITION":0},"indices":1})"));
  const SceneLoadResult ours = load(path), theirs = load(path, SceneReader::kAssimp);
  ASSERT_TRUE(ours && theirs) << ours.error << theirs.error;
  ASSERT_NE(meshOf(findNode(&ours.scene->root(), "tri")), nullptr);
  EXPECT_EQ(meshOf(findNode(&ours.scene->root(), "tri"))->numFaces(), 1);
  EXPECT_EQ(meshOf(findNode(&theirs.scene->root(), "tri"))->numFaces(), 1);
  EXPECT_EQ(ours.warnings,
            std::vector<std::string>{"mesh \"m\": 1 face names a vertex past its 3, left out"});
}

TEST_F(GltfReaderTest, HostileStructuresAreRefusedWithoutRecursingDeep) {
  // Nesting that would overflow a recursive parser's stack.
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  SceneLoadResult loaded =
      load(write("deep.gltf", document().insert(1, R"("extras":)" + deep + ",")));
  EXPECT_NE(loaded.error.find("nests deeper than"), std::string::npos) << loaded.error;

  // A chain of nodes past the depth any walk recurses to, and a tree that names one
  // node twice at each of 40 levels (2^40 nodes unfolded).
  const auto nodes = [&](int count, const std::string& children) {
    std::string list;
    for (int i = 0; i < count; ++i) {
      std::string c = children;
      for (size_t at; (at = c.find("NEXT")) != std::string::npos;)
        c.replace(at, 4, std::to_string(i + 1));
      list += (i ? "," : "") + std::string(R"({"children":)") + (i + 1 < count ? c : "[]") + "}";
    }
    return R"({"asset":{"version":"2.0"},"scenes":[{"nodes":[0]}],"nodes":[)" + list + "]}";
  };
  loaded = load(write("chain.gltf", nodes(5000, "[NEXT]")));
  EXPECT_NE(loaded.error.find("deeper than 4096 levels"), std::string::npos) << loaded.error;
  loaded = load(write("twice.gltf", nodes(40, "[NEXT,NEXT]")));
  EXPECT_NE(loaded.error.find("too many nodes"), std::string::npos) << loaded.error;
}

TEST_F(GltfReaderTest, ImageUrisAreDecodedAndBuffersBesideAreKept) {
  writeFile(dir_ / "my wall.png", kPng3x2);
  writeFile(dir_ / "tri.bin", triangleBuffer());
  std::string text =
      document(R"({"attributes":{"POSITION":0},"indices":1,"material":0})",
               R"([{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"},
  {"bufferView":1,"componentType":5123,"count":3,"type":"SCALAR"}])",
               R"([{"buffer":0,"byteLength":36},{"buffer":0,"byteOffset":36,"byteLength":6}])",
               R"(,"materials":[{"pbrMetallicRoughness":{"baseColorTexture":{"index":0}}}],
"textures":[{"source":0}],"images":[{"uri":"my%20wall.png"}])");
  const size_t uri = text.find("data:application");
  text.replace(uri, text.find('"', uri) - uri, "tri.bin");
  const SceneLoadResult loaded = load(write("wall.gltf", text));
  ASSERT_TRUE(loaded) << loaded.error;
  SceneNode* tri = findNode(&loaded.scene->root(), "tri");
  ASSERT_TRUE(tri && tri->material());
  TextureMap* map = tri->material()->subTexmap(Material::kDiffuseMap);
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(fs::path(map->mapName()), dir_ / "my wall.png");
  ASSERT_NE(map->bitmap(0), nullptr);
  EXPECT_EQ(map->bitmap(0)->Width(), 3);
  const std::vector<std::string>& kept = loaded.scene->pendingImages().kept();
  EXPECT_NE(std::find(kept.begin(), kept.end(), (dir_ / "tri.bin").string()), kept.end())
      << ::testing::PrintToString(kept);
}

TEST_F(GltfReaderTest, WhatAssimpReadsOtherwiseIsLeftToIt) {
  const std::string view = R"([{"buffer":0,"byteLength":36},
  {"buffer":0,"byteOffset":36,"byteLength":12}])";
  const std::string sparse =
      document(R"({"attributes":{"POSITION":0}})",
               R"([{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3","sparse":{"count":1,
  "indices":{"bufferView":1,"componentType":5123},"values":{"bufferView":0}}}])",
               view);
  const std::string quantized =
      document(R"({"attributes":{"POSITION":0,"TEXCOORD_0":1}})",
               R"([{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"},
  {"bufferView":1,"componentType":5121,"normalized":true,"count":3,"type":"VEC2"}])",
               view);
  const std::string transform =
      document().insert(1, R"("extensionsUsed":["KHR_texture_transform"],)");
  const std::string version1 =
      R"({"asset":{"version":"1.0"},"scene":"s","scenes":{"s":{"nodes":[]}}})";
  // tinygltf takes primitives of the wrong type for none.
  const std::string noPrimitives =
      replaced(document(), R"("primitives":[)", R"("primitives":{"x":[)");
  const std::string wrongType = replaced(noPrimitives, "]}],\"accessors\"", "]}}],\"accessors\"");
  for (const std::string& text : {sparse, quantized, transform, version1, wrongType}) {
    const std::string path = write("other.gltf", text);
    const GltfReadResult read = readGltf(path);
    EXPECT_FALSE(read.assimp.empty()) << text;
    EXPECT_EQ(read.scene, nullptr);
  }
  // And Assimp then reads it as before, or refuses it and says why.
  const SceneLoadResult loaded = load(write("sparse.gltf", sparse));
  EXPECT_TRUE(loaded) << loaded.error;
  const SceneLoadResult refused = load(write("wrong.gltf", wrongType));
  EXPECT_FALSE(refused);
  EXPECT_NE(refused.error.find("wrong.gltf"), std::string::npos) << refused.error;
}

// Every cut of a text file and of a binary one's data, and a few hundred garbled
// bytes: our reader refuses or reads each, and never reads past what it holds (the
// sanitizer build sees it).
TEST_F(GltfReaderTest, CutAndGarbledFilesAreReadOrRefused) {
  const std::string text = document(R"({"attributes":{"POSITION":0},"indices":1})");
  const std::string cut = (dir_ / "cut.gltf").string();
  for (size_t n = 0; n < text.size(); ++n) {
    writeFile(cut, text.substr(0, n));
    const GltfReadResult read = readGltf(cut);
    EXPECT_TRUE(!read.scene && (!read.refusal.empty() || !read.assimp.empty())) << n;
  }

  std::string json = text;
  const size_t uri = json.find(R"(,"uri")");
  json.erase(uri, json.find('}', uri) - uri);
  while (json.size() % 4) json += ' ';
  const std::vector<unsigned char> bin = triangleBuffer();
  // The header and chunk lengths say `binBytes` of data follow, as many as there are.
  const auto glb = [&](size_t binBytes) {
    std::vector<unsigned char> out;
    append<uint32_t>(out, {0x46546C67u, 2, uint32_t(12 + 8 + json.size() + 8 + binBytes),
                           uint32_t(json.size()), 0x4E4F534Au});
    out.insert(out.end(), json.begin(), json.end());
    append<uint32_t>(out, {uint32_t(binBytes), 0x004E4942u});
    out.insert(out.end(), bin.begin(), bin.begin() + long(binBytes));
    return out;
  };
  const std::string binary = (dir_ / "cut.glb").string();
  for (size_t n = 0; n <= bin.size(); ++n) {
    writeFile(binary, glb(n));
    const GltfReadResult read = readGltf(binary);
    EXPECT_EQ(read.scene != nullptr, n == bin.size()) << n << read.refusal << read.assimp;
  }
  std::mt19937 random(7);
  for (int i = 0; i < 400; ++i) {
    std::vector<unsigned char> garbled = glb(bin.size());
    for (int k = 0; k < 3; ++k)
      garbled[20 + random() % json.size()] = "0123456789-.e[]{}\",:9"[random() % 21];
    writeFile(binary, garbled);
    const GltfReadResult read = readGltf(binary);
    EXPECT_TRUE(read.scene || !read.refusal.empty() || !read.assimp.empty()) << i;
  }
}

}  // namespace
