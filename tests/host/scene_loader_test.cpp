// Scene loading through Assimp: small files written here, real scenes from
// assimp-testmodels, and files that are not scenes.
#include "host/scene_loader.h"

#include <assimp/scene.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/assimp_scene_check.h"
#include "host/bitmap_manager.h"
#include "host/embedded_images.h"
#include "host/vertex_welder.h"
#include "plugin/material.h"
#include "plugin/texture_map.h"
#include "plugin/tri_object.h"

namespace fs = std::filesystem;

namespace {

const fs::path kModels = "/usr/share/assimp/models";

// A 3 x 2 RGB PNG, as bytes and as base64 for a glTF data URI.
const std::vector<unsigned char> kPng3x2 = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44,
    0x52, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x02, 0x08, 0x02, 0x00, 0x00, 0x00, 0x12,
    0x16, 0xF1, 0x4D, 0x00, 0x00, 0x00, 0x10, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0xF8,
    0xCF, 0xC0, 0x00, 0x41, 0x0C, 0x70, 0x16, 0x00, 0x41, 0xD2, 0x05, 0xFB, 0x87, 0xF0, 0xB9,
    0x48, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
const char* kPng3x2Base64 =
    "iVBORw0KGgoAAAANSUhEUgAAAAMAAAACCAIAAAASFvFNAAAAEElEQVR4nGP4z8AAQQxwFgBB0gX7h/C5SAAAAABJRU5E"
    "rkJggg==";
// Positions (0,0,0) (1,0,0) (0,1,0), then texture coordinates (0,0) (1,0) (0,1).
const char* kTriangleBufferBase64 =
    "AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAAAAAAAAgD8AAAAAAAAAAAAAAAAAAIA/AAAAAAAAAAAAAIA/";

// The cube's corners: bit 0 is x, bit 1 y, bit 2 z.
const char* kCubePositions =
    "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nv 0 0 1\nv 1 0 1\nv 0 1 1\nv 1 1 1\n";
// Six sides, as quads wound outward; corners give "position//normal".
const int kCubeSides[6][4] = {{1, 3, 4, 2}, {5, 6, 8, 7}, {1, 2, 6, 5},
                              {2, 4, 8, 6}, {4, 3, 7, 8}, {3, 1, 5, 7}};

std::string cubeObj(bool smooth) {
  std::string obj = kCubePositions;
  if (smooth) {
    for (int i = 0; i < 8; ++i)
      obj += "vn " + std::to_string((i & 1) ? 1 : -1) + " " + std::to_string((i & 2) ? 1 : -1) +
             " " + std::to_string((i & 4) ? 1 : -1) + "\n";
  } else {
    obj += "vn 0 0 -1\nvn 0 0 1\nvn 0 -1 0\nvn 1 0 0\nvn 0 1 0\nvn -1 0 0\n";
  }
  obj += "o cube\n";
  for (int s = 0; s < 6; ++s) {
    obj += "f";
    for (int c : kCubeSides[s])
      obj += " " + std::to_string(c) + "//" + std::to_string(smooth ? c : s + 1);
    obj += "\n";
  }
  return obj;
}

class SceneLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::path(::testing::TempDir()) /
           ("scene_loader_" + std::to_string(::getpid()) + "_" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "out");
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
    return (dir_ / name).string();
  }
  SceneLoadResult load(const std::string& path, UpAxis up = UpAxis::kAuto) {
    SceneLoadOptions options;
    options.upAxis = up;
    options.outputDirectory = (dir_ / "out").string();
    return loadScene(path, options);
  }

  fs::path dir_;
};

SceneNode* findNode(SceneNode* node, const std::string& name) {
  if (node->name() && name == node->name()) return node;
  for (int i = 0; i < node->childCount(); ++i)
    if (SceneNode* found = findNode(node->child(i), name)) return found;
  return nullptr;
}

Mesh* meshOf(SceneNode* node) {
  SceneObject* object = node ? node->evalWorldState(0).obj : nullptr;
  TriObject* tri = object ? object->asTriObject() : nullptr;
  return tri ? &tri->mesh : nullptr;
}

void expectNear(const Point3& a, const Point3& b) {
  EXPECT_NEAR(a.x, b.x, 1e-5f);
  EXPECT_NEAR(a.y, b.y, 1e-5f);
  EXPECT_NEAR(a.z, b.z, 1e-5f);
}

// --- small scenes written here ---------------------------------------------------

TEST_F(SceneLoaderTest, ObjWithMaterialAndTexture) {
  std::ofstream(dir_ / "tiny.png", std::ios::binary)
      .write(reinterpret_cast<const char*>(kPng3x2.data()), kPng3x2.size());
  write("quad.mtl",
        "newmtl red\nKa 0.1 0.2 0.3\nKd 1 0 0\nKs 0.5 0.5 0.5\nNs 64\nd 0.25\nKe 0.2 0.7 0.1\n"
        "map_Kd tiny.png\n");
  const std::string path = write("quad.obj",
                                 "mtllib quad.mtl\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
                                 "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 0 1\n"
                                 "o quad\nusemtl red\nf 1/1/1 2/2/1 3/3/1 4/4/1\n");
  SceneLoadResult loaded = load(path);
  ASSERT_TRUE(loaded) << loaded.error;
  SceneNode* quad = findNode(&loaded.scene->root(), "quad");
  ASSERT_NE(quad, nullptr);
  Mesh* mesh = meshOf(quad);
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->numFaces(), 2);
  EXPECT_EQ(mesh->numVerts(), 4);  // the two triangles share their diagonal
  ASSERT_EQ(mesh->numTVerts(), 4);
  ASSERT_EQ(mesh->tvFaces.size(), 2u);
  for (int f = 0; f < 2; ++f)
    for (int c = 0; c < 3; ++c) {
      const Point3& p = mesh->verts[mesh->faces[f].v[c]];
      const Point3& t = mesh->tVerts[mesh->tvFaces[f].t[c]];
      EXPECT_EQ(p.x, t.x);  // the quad's texture coordinates equal its positions
      EXPECT_EQ(p.y, t.y);
    }

  StandardMaterial* red = standardMaterialOf(quad->material());
  ASSERT_NE(red, nullptr);
  EXPECT_STREQ(red->name(), "red");
  EXPECT_EQ(red->diffuse(0), Color(1, 0, 0));
  EXPECT_EQ(red->baseColor(), Color(1, 0, 0));
  EXPECT_FLOAT_EQ(red->ambient(0).g, 0.2f);
  EXPECT_FLOAT_EQ(red->specular(0).r, 0.5f);
  EXPECT_FLOAT_EQ(red->shininess(0), 0.5f);
  EXPECT_FLOAT_EQ(red->opacity(0), 0.25f);
  EXPECT_FLOAT_EQ(red->selfIllumination(0), 0.7f);
  TextureMap* map = red->subTexmap(Material::kDiffuseMap);
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(map->classId(), kBitmapTextureClassId);
  EXPECT_EQ(fs::path(map->mapName()), dir_ / "tiny.png");
  EXPECT_EQ(map->textureTiling(), TextureMap::kTileU | TextureMap::kTileV);
  ASSERT_NE(map->bitmap(0), nullptr);
  EXPECT_EQ(map->bitmap(0)->Width(), 3);
  EXPECT_EQ(map->bitmap(0)->Height(), 2);
}

TEST_F(SceneLoaderTest, MaterialsPerNode) {
  // Two materials on one object: a multi-material, faces numbered in order of use.
  write("two.mtl", "newmtl green\nKd 0 1 0\nnewmtl blue\nKd 0 0 1\n");
  SceneLoadResult two = load(write("two.obj",
                                   "mtllib two.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\n"
                                   "o pair\nusemtl blue\nf 1 2 3\nusemtl green\nf 2 4 3\n"));
  ASSERT_TRUE(two) << two.error;
  SceneNode* pair = findNode(&two.scene->root(), "pair");
  ASSERT_NE(pair, nullptr);
  Material* multi = pair->material();
  ASSERT_NE(multi, nullptr);
  EXPECT_EQ(multi->classId(), kMultiMaterialClassId);
  ASSERT_EQ(multi->numSubMaterials(), 2);
  Mesh* mesh = meshOf(pair);
  ASSERT_NE(mesh, nullptr);
  ASSERT_EQ(mesh->numFaces(), 2);
  for (const Face& face : mesh->faces) {
    const Material* sub = multi->subMaterial(face.materialId());
    ASSERT_NE(sub, nullptr);
    // The face with vertex 0 at the origin is the blue one.
    const bool blueFace = mesh->verts[face.v[0]] == Point3(0, 0, 0);
    EXPECT_STREQ(sub->name(), blueFace ? "blue" : "green");
  }

  // A file without materials: Assimp's stand-in material is no material.
  SceneLoadResult plain = load(write("plain.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\no t\nf 1 2 3\n"));
  ASSERT_TRUE(plain) << plain.error;
  SceneNode* t = findNode(&plain.scene->root(), "t");
  ASSERT_NE(meshOf(t), nullptr);
  EXPECT_EQ(t->material(), nullptr);
}

TEST_F(SceneLoaderTest, GltfEmbeddedImageIsWrittenBesideTheOutput) {
  const std::string gltf =
      std::string(R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],
"nodes":[{"name":"tri","mesh":0}],
"meshes":[{"primitives":[{"attributes":{"POSITION":0,"TEXCOORD_0":1},"material":0}]}],
"extensionsUsed":["KHR_texture_transform"],
"materials":[{"name":"logo","pbrMetallicRoughness":{"baseColorTexture":{"index":0,
  "extensions":{"KHR_texture_transform":{"offset":[0.5,0],"scale":[2,2]}}},
  "baseColorFactor":[0.5,0.25,1,1]}}],
"textures":[{"source":0,"sampler":0}],
"samplers":[{"wrapS":33071,"wrapT":10497}],
"images":[{"uri":"data:image/png;base64,)") +
      kPng3x2Base64 + R"("}],
"buffers":[{"byteLength":60,"uri":"data:application/octet-stream;base64,)" +
      kTriangleBufferBase64 + R"("}],
"bufferViews":[{"buffer":0,"byteLength":36},{"buffer":0,"byteOffset":36,"byteLength":24}],
"accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3","min":[0,0,0],
  "max":[1,1,0]},{"bufferView":1,"componentType":5126,"count":3,"type":"VEC2"}]})";
  SceneLoadResult loaded = load(write("emb.gltf", gltf));
  ASSERT_TRUE(loaded) << loaded.error;
  EXPECT_TRUE(loaded.warnings.empty());
  SceneNode* tri = findNode(&loaded.scene->root(), "tri");
  ASSERT_NE(tri, nullptr);
  Mesh* mesh = meshOf(tri);
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->numTVerts(), 3);
  StandardMaterial* logo = standardMaterialOf(tri->material());
  ASSERT_NE(logo, nullptr);
  EXPECT_EQ(logo->diffuse(0), Color(0.5f, 0.25f, 1));

  TextureMap* map = logo->subTexmap(Material::kDiffuseMap);
  ASSERT_NE(map, nullptr);
  const fs::path written = dir_ / "out" / "emb_tex0.png";
  EXPECT_EQ(fs::path(map->mapName()), written);
  std::ifstream in(written, std::ios::binary);
  const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
  EXPECT_EQ(bytes, kPng3x2);
  EXPECT_EQ(map->bitmap(0)->Width(), 3);
  // Clamped in U, repeated in V.
  EXPECT_EQ(map->textureTiling(), TextureMap::kTileV);
  // Offset and scale in glTF's texture space, whose V runs downwards.
  expectNear(Point3(0, 0, 0) * map->uvTransform(), {0.5f, -1, 0});
  expectNear(Point3(1, 1, 0) * map->uvTransform(), {2.5f, 1, 0});
}

TEST_F(SceneLoaderTest, EmbeddedImages) {
  // Raw texels become a TGA file that image readers take; a second image of the
  // same name gets the numbered one.
  aiScene scene;
  scene.mNumTextures = 2;
  scene.mTextures = new aiTexture*[2];
  for (int i = 0; i < 2; ++i) {
    aiTexture* t = scene.mTextures[i] = new aiTexture;
    t->mFilename.Set("pixels.png");
    t->mWidth = 2;
    t->mHeight = 1;
    t->pcData = new aiTexel[2];
  }
  std::vector<std::string> warnings;
  EmbeddedImages images(scene, dir_ / "out", "scene", warnings);
  EXPECT_EQ(images.fileFor(0), (dir_ / "out" / "pixels.tga").string());
  EXPECT_EQ(images.fileFor(1), (dir_ / "out" / "scene_tex1.tga").string());
  EXPECT_EQ(images.fileFor(0), (dir_ / "out" / "pixels.tga").string());
  EXPECT_EQ(images.fileFor(2), "");
  int width = 0, height = 0;
  EXPECT_TRUE(readImageSize((dir_ / "out" / "pixels.tga").string(), width, height));
  EXPECT_EQ(width, 2);
  EXPECT_EQ(height, 1);
  EXPECT_TRUE(warnings.empty());

  // A folder that cannot be written to: a warning, and the map names the file.
  EmbeddedImages nowhere(scene, dir_ / "missing", "scene", warnings);
  EXPECT_EQ(nowhere.fileFor(0), (dir_ / "missing" / "pixels.tga").string());
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find("cannot write embedded image"), std::string::npos);
}

TEST_F(SceneLoaderTest, GltfExtrasBecomeUserText) {
  const std::string path = write("extras.gltf", R"({"asset":{"version":"2.0"},"scene":0,
"scenes":[{"nodes":[0]}],
"nodes":[{"name":"lod","extras":{"userText":"FltType = LOD\nFltLodMax = 100","FltLodMin":2.5,
  "fine":0.1,"flag":true,"off":false,"count":-7,"label":"hi","nested":{"a":1},"arr":[1,2]}}]})");
  SceneLoadResult loaded = load(path);
  ASSERT_TRUE(loaded) << loaded.error;
  SceneNode* lod = findNode(&loaded.scene->root(), "lod");
  ASSERT_NE(lod, nullptr);
  EXPECT_EQ(lod->userPropertyText(),
            "FltType = LOD\r\nFltLodMax = 100\r\nFltLodMin = 2.5\r\nfine = 0.1\r\nflag = Yes\r\n"
            "off = No\r\ncount = -7\r\nlabel = hi\r\n");
  float lodMin = 0;
  EXPECT_TRUE(lod->userPropertyFloat("FltLodMin", lodMin));
  EXPECT_EQ(lodMin, 2.5f);
}

const char* kFbxTriangle = R"(; FBX 7.4.0 project file
FBXHeaderExtension:  {
	FBXHeaderVersion: 1003
	FBXVersion: 7400
}
GlobalSettings:  {
	Version: 1000
	Properties70:  {
		P: "UpAxis", "int", "Integer", "",2
		P: "UpAxisSign", "int", "Integer", "",1
	}
}
Objects:  {
	Geometry: 1000, "Geometry::tri", "Mesh" {
		Vertices: *9 {
			a: 0,0,0,1,0,0,0,1,0
		}
		PolygonVertexIndex: *3 {
			a: 0,1,-3
		}
	}
	Model: 2000, "Model::tri", "Mesh" {
		Version: 232
		Properties70:  {
			P: "Lcl Translation", "Lcl Translation", "", "A",0,0,5
			P: "UDP3DSMAX", "KString", "", "U", "FltComment = hello&cr;&lf;FltType = Object"
			P: "FltLodMax", "double", "Number", "U",100.5
			P: "Other", "int", "Integer", "U",3
		}
	}
}
Connections:  {
	C: "OO",2000,0
	C: "OO",1000,2000
}
)";

TEST_F(SceneLoaderTest, FbxUserPropertiesAndDeclaredUpAxis) {
  SceneLoadResult loaded = load(write("tri.fbx", kFbxTriangle));
  ASSERT_TRUE(loaded) << loaded.error;
  SceneNode* tri = findNode(&loaded.scene->root(), "tri");
  ASSERT_NE(tri, nullptr);
  // The application's text, then the Flt entries; FBX's own properties are left out.
  EXPECT_EQ(tri->userPropertyText(),
            "FltComment = hello\r\nFltType = Object\r\nFltLodMax = 100.5\r\n");
  // The file declares Z up: auto leaves it so.
  expectNear(Point3(0, 1, 0) * tri->objectToWorld(0), {0, 1, 5});
  EXPECT_EQ(meshOf(tri)->numFaces(), 1);
  EXPECT_EQ(tri->material(), nullptr);

  SceneLoadResult asY = load(dir_.string() + "/tri.fbx", UpAxis::kY);
  ASSERT_TRUE(asY) << asY.error;
  expectNear(Point3(0, 1, 0) * findNode(&asY.scene->root(), "tri")->objectToWorld(0), {0, -5, 1});
}

// --- the root, world matrices and the up axis ------------------------------------

TEST_F(SceneLoaderTest, GltfRootRule) {
  // One top node: it is the host root's one child, with its own child below.
  SceneLoadResult single = load(write("single.gltf", R"({"asset":{"version":"2.0"},"scene":0,
"scenes":[{"nodes":[0]}],
"nodes":[{"name":"top","translation":[1,0,0],"children":[1]},{"name":"kid","translation":[0,2,0]},
  {"name":"unused"}]})"),
                                UpAxis::kZ);
  ASSERT_TRUE(single) << single.error;
  MemoryNode& root = single.scene->root();
  ASSERT_EQ(root.childCount(), 1);
  EXPECT_STREQ(root.child(0)->name(), "top");
  ASSERT_EQ(root.child(0)->childCount(), 1);
  SceneNode* kid = root.child(0)->child(0);
  EXPECT_STREQ(kid->name(), "kid");
  expectNear(kid->objectToWorld(0).getTrans(), {1, 2, 0});
  // With children and nothing else: a helper; a bare leaf has no object.
  ASSERT_NE(root.child(0)->evalWorldState(0).obj, nullptr);
  EXPECT_EQ(root.child(0)->evalWorldState(0).obj->superClassId(), kHelperClass);
  EXPECT_EQ(kid->evalWorldState(0).obj, nullptr);
  EXPECT_FALSE(kid->isGroupHead());

  // Several top nodes: Assimp's made-up root stands for the scene.
  SceneLoadResult several = load(write("several.gltf", R"({"asset":{"version":"2.0"},"scene":0,
"scenes":[{"nodes":[0,1]}],"nodes":[{"name":"a"},{}]})"));
  ASSERT_TRUE(several) << several.error;
  MemoryNode& top = several.scene->root();
  ASSERT_EQ(top.childCount(), 2);
  EXPECT_STREQ(top.child(0)->name(), "a");
  EXPECT_EQ(top.child(1)->name(), nullptr);  // unnamed in the file
}

TEST_F(SceneLoaderTest, UpAxis) {
  const std::string obj = write("up.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\no t\nf 1 2 3\n");
  for (UpAxis up : {UpAxis::kAuto, UpAxis::kY, UpAxis::kZ}) {
    SceneLoadResult loaded = load(obj, up);
    ASSERT_TRUE(loaded) << loaded.error;
    SceneNode* t = findNode(&loaded.scene->root(), "t");
    ASSERT_NE(t, nullptr);
    // An OBJ file is Y-up unless told otherwise.
    const Point3 expected = up == UpAxis::kZ ? Point3(0, 1, 0) : Point3(0, 0, 1);
    expectNear(Point3(0, 1, 0) * t->objectToWorld(0), expected);
  }

  // A Z-up Collada file: Assimp's made-up root turns it to Y-up, the host back.
  SceneLoadResult dae = load(write("zup.dae", R"(<?xml version="1.0" encoding="utf-8"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
  <asset><up_axis>Z_UP</up_axis></asset>
  <library_geometries><geometry id="tri"><mesh>
    <source id="pos"><float_array id="pos-array" count="9">0 0 0 1 0 0 0 0 1</float_array>
      <technique_common><accessor source="#pos-array" count="3" stride="3">
        <param name="X" type="float"/><param name="Y" type="float"/><param name="Z" type="float"/>
      </accessor></technique_common></source>
    <vertices id="verts"><input semantic="POSITION" source="#pos"/></vertices>
    <triangles count="1"><input semantic="VERTEX" source="#verts" offset="0"/><p>0 1 2</p></triangles>
  </mesh></geometry></library_geometries>
  <library_visual_scenes><visual_scene id="scene">
    <node id="n" name="n"><instance_geometry url="#tri"/></node>
  </visual_scene></library_visual_scenes>
  <scene><instance_visual_scene url="#scene"/></scene>
</COLLADA>
)"));
  ASSERT_TRUE(dae) << dae.error;
  SceneNode* n = findNode(&dae.scene->root(), "n");
  ASSERT_NE(n, nullptr);
  expectNear(Point3(0, 0, 1) * n->objectToWorld(0), {0, 0, 1});
}

// --- meshes ----------------------------------------------------------------------

TEST_F(SceneLoaderTest, WeldingByPositionNormalAndColour) {
  SceneLoadResult flat = load(write("flat.obj", cubeObj(false)));
  ASSERT_TRUE(flat) << flat.error;
  Mesh* faceted = meshOf(findNode(&flat.scene->root(), "cube"));
  ASSERT_NE(faceted, nullptr);
  EXPECT_EQ(faceted->numFaces(), 12);
  EXPECT_EQ(faceted->numVerts(), 24);
  for (int v = 0; v < faceted->numVerts(); ++v) {
    EXPECT_TRUE(faceted->getRVert(v).specified());
    EXPECT_EQ(faceted->getRVert(v).rFlags, RVertex::kSpecifiedNormal | 1);
  }
  // Each face's vertices carry the face's own normal.
  faceted->checkNormals(true);
  for (int f = 0; f < faceted->numFaces(); ++f)
    for (uint32_t v : faceted->faces[f].v)
      expectNear(faceted->getRVert(v).rn.normal, faceted->getFaceNormal(f));

  SceneLoadResult smooth = load(write("smooth.obj", cubeObj(true)));
  ASSERT_TRUE(smooth) << smooth.error;
  Mesh* rounded = meshOf(findNode(&smooth.scene->root(), "cube"));
  ASSERT_NE(rounded, nullptr);
  EXPECT_EQ(rounded->numVerts(), 8);
  const float k = 1.0f / std::sqrt(3.0f);
  for (int v = 0; v < 8; ++v) {
    const Point3& p = rounded->verts[v];
    expectNear(rounded->getRVert(v).rn.normal, Point3(p.x * 2 - 1, p.y * 2 - 1, p.z * 2 - 1) * k);
  }

  // Without normals: welded by position, normals built from smoothing group 1.
  std::string bare = kCubePositions;
  bare += "o cube\n";
  for (const auto& side : kCubeSides)
    bare += "f " + std::to_string(side[0]) + " " + std::to_string(side[1]) + " " +
            std::to_string(side[2]) + " " + std::to_string(side[3]) + "\n";
  SceneLoadResult none = load(write("bare.obj", bare));
  ASSERT_TRUE(none) << none.error;
  Mesh* built = meshOf(findNode(&none.scene->root(), "cube"));
  ASSERT_NE(built, nullptr);
  EXPECT_EQ(built->numVerts(), 8);
  built->checkNormals(true);
  for (int v = 0; v < 8; ++v) {
    EXPECT_FALSE(built->getRVert(v).specified());
    EXPECT_EQ(built->getRVert(v).normalCount(), 1);
  }
  for (const Face& f : built->faces) EXPECT_EQ(f.smGroup, 1u);

  // Equal positions with different colours stay apart.
  SceneLoadResult colors = load(write("colors.obj",
                                      "v 0 0 0 1 0 0\nv 1 0 0 1 0 0\nv 0 1 0 1 0 0\n"
                                      "v 0 0 0 0 1 0\nv 0 1 0 0 1 0\nv -1 0 0 0 1 0\n"
                                      "o c\nf 1 2 3\nf 4 5 6\n"));
  ASSERT_TRUE(colors) << colors.error;
  Mesh* tinted = meshOf(findNode(&colors.scene->root(), "c"));
  ASSERT_NE(tinted, nullptr);
  EXPECT_EQ(tinted->numVerts(), 6);
  ASSERT_EQ(tinted->numVertCols(), 6);
  EXPECT_EQ(tinted->vertCols[tinted->faces[1].v[0]], Point3(0, 1, 0));
}

TEST(VertexWelderTest, FindsEveryKeyAcrossGrowth) {
  VertexWelder<3> welder;
  const auto key = [](int i) {
    return VertexWelder<3>::Key{weldBits(float(i % 70)), weldBits(float(i / 70)), 0};
  };
  for (int i = 0; i < 5000; ++i) {
    const auto r = welder.add(key(i));
    EXPECT_TRUE(r.added);
    EXPECT_EQ(r.index, static_cast<uint32_t>(i));
  }
  for (int i = 0; i < 5000; i += 7) {
    const auto r = welder.add(key(i));
    EXPECT_FALSE(r.added);
    EXPECT_EQ(r.index, static_cast<uint32_t>(i));
  }
  EXPECT_EQ(welder.size(), 5000u);
  EXPECT_EQ(weldBits(-0.0f), weldBits(0.0f));
  EXPECT_EQ(weldBits(std::nanf("1")), weldBits(-std::nanf("2")));
  EXPECT_NE(weldBits(1.0f), weldBits(-1.0f));
}

TEST_F(SceneLoaderTest, PointsAndLinesAreDropped) {
  SceneLoadResult loaded = load(write("mixed.obj",
                                      "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 5 5 5\n"
                                      "o mixed\np 4\nl 1 4\nf 1 2 3\n"
                                      "o wire\nl 1 2\nl 2 3\n"));
  ASSERT_TRUE(loaded) << loaded.error;
  Mesh* mixed = meshOf(findNode(&loaded.scene->root(), "mixed"));
  ASSERT_NE(mixed, nullptr);
  EXPECT_EQ(mixed->numFaces(), 1);
  EXPECT_EQ(mixed->numVerts(), 3);
  SceneNode* wire = findNode(&loaded.scene->root(), "wire");
  ASSERT_NE(wire, nullptr);
  EXPECT_EQ(wire->evalWorldState(0).obj, nullptr);

  // Vertices and no faces at all (a point cloud): a scene without geometry.
  SceneLoadResult cloud = load(write("cloud.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\n"));
  ASSERT_TRUE(cloud) << cloud.error;
  EXPECT_EQ(cloud.scene->root().childCount(), 0);
}

TEST_F(SceneLoaderTest, CamerasAndLights) {
  SceneLoadResult loaded = load(write("cam.gltf", R"({"asset":{"version":"2.0"},"scene":0,
"scenes":[{"nodes":[0]}],"extensionsUsed":["KHR_lights_punctual"],
"extensions":{"KHR_lights_punctual":{"lights":[{"type":"point"}]}},
"cameras":[{"type":"perspective","perspective":{"yfov":0.8,"znear":0.1}}],
"nodes":[{"name":"group","children":[1,2]},{"name":"eye","camera":0},
  {"name":"bulb","extensions":{"KHR_lights_punctual":{"light":0}}}]})"));
  ASSERT_TRUE(loaded) << loaded.error;
  SceneNode* eye = findNode(&loaded.scene->root(), "eye");
  SceneNode* bulb = findNode(&loaded.scene->root(), "bulb");
  ASSERT_TRUE(eye && bulb);
  ASSERT_NE(eye->evalWorldState(0).obj, nullptr);
  EXPECT_EQ(eye->evalWorldState(0).obj->superClassId(), kCameraClass);
  ASSERT_NE(bulb->evalWorldState(0).obj, nullptr);
  EXPECT_EQ(bulb->evalWorldState(0).obj->superClassId(), kLightClass);
  EXPECT_EQ(bulb->userPropertyText(), "");  // the light's extension is no user text
}

// --- files that are not scenes, and hostile ones ---------------------------------

TEST_F(SceneLoaderTest, BadFilesGiveAClearError) {
  const auto expectError = [&](const std::string& path, const std::string& why) {
    SceneLoadResult loaded = load(path);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(loaded.error.rfind("Error loading " + path + ": ", 0), 0u) << loaded.error;
    EXPECT_NE(loaded.error.find(why), std::string::npos) << loaded.error;
  };
  expectError((dir_ / "missing.obj").string(), "no such file");
  fs::create_directories(dir_ / "folder.obj");
  expectError((dir_ / "folder.obj").string(), "folder");
  expectError(write("notes.txt", "Shopping list: milk, eggs.\n"), "No suitable reader");
  // Assimp's OBJ reader skips every line it does not know.
  expectError(write("notes.obj", "Shopping list: milk, eggs.\n"), "holds no");
  expectError(write("cut.gltf", R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nod)"),
              "No suitable reader");
  // A binary FBX file cut inside its first block. (Assimp leaks on a cut text FBX.)
  static const char kFbx[] =
      "Kaydara FBX Binary  \0\x1a\0\xe8\x1c\0\0\xe8\x03\0\0\0\0\0\0\0\0\0\0\x07Objects";
  expectError(write("cut.fbx", std::string(kFbx, sizeof kFbx - 1)), "out of range");
  // A binary PLY cut short: its faces name vertices that were never read, which
  // crashed Assimp's post-processing.
  expectError(write("cut.ply",
                    "ply\nformat binary_little_endian 1.0\nelement vertex 100\nproperty float x\n"
                    "property float y\nproperty float z\nelement face 50\n"
                    "property list uchar int vertex_indices\nend_header\n" +
                        std::string("\0\0\x80\x3f\0\0", 6)),
              "damaged mesh data");
  // A binary glTF whose header promises more than the file holds.
  static const char kGlb[] = "glTF\x02\0\0\0\x00\x10\0\0\x40\0\0\0JSON{\"asset\":";
  const std::string glb(kGlb, sizeof kGlb - 1);
  expectError(write("cut.glb", glb), "No suitable reader");
  EXPECT_TRUE(fs::is_empty(dir_ / "out"));
}

TEST(AssimpSceneCheckTest, RefusesWhatPostProcessingWouldCrashOn) {
  aiScene scene;
  scene.mRootNode = new aiNode("root");
  aiNode* child = new aiNode("child");
  scene.mRootNode->addChildren(1, &child);
  scene.mNumMeshes = 1;
  scene.mMeshes = new aiMesh* [1] { new aiMesh };
  aiMesh& mesh = *scene.mMeshes[0];
  mesh.mNumVertices = 3;
  mesh.mVertices = new aiVector3D[3];
  mesh.mNumFaces = 1;
  mesh.mFaces = new aiFace[1];
  mesh.mFaces[0].mNumIndices = 3;
  mesh.mFaces[0].mIndices = new unsigned[3]{0, 1, 2};
  mesh.mPrimitiveTypes = aiPrimitiveType_POLYGON;  // a reader's wrong claim
  EXPECT_EQ(checkAssimpScene(scene), "");
  EXPECT_EQ(mesh.mPrimitiveTypes, unsigned{aiPrimitiveType_TRIANGLE});

  mesh.mFaces[0].mIndices[2] = 3;
  EXPECT_NE(checkAssimpScene(scene).find("naming vertex 3 of 3"), std::string::npos);
  mesh.mFaces[0].mIndices[2] = 2;
  child->mNumMeshes = 1;
  child->mMeshes = new unsigned[1]{1};
  EXPECT_NE(checkAssimpScene(scene).find("names mesh 1 of 1"), std::string::npos);
  child->mMeshes[0] = 0;
  child->mNumChildren = 1;
  child->mChildren = new aiNode* [1] { scene.mRootNode };
  EXPECT_NE(checkAssimpScene(scene).find("twice"), std::string::npos);
  child->mNumChildren = 0;  // untie the loop before the scene frees its nodes
}

TEST_F(SceneLoaderTest, HostileContentLoads) {
  const std::string longName(5000, 'n');
  SceneLoadResult loaded = load(write("hostile.obj",
                                      "v nan nan nan\nv 1e39 0 0\nv 0 -1e39 0\nv 0 0 0\nv 1 0 0\n"
                                      "o " +
                                          longName +
                                          "\nf 1 2 3\nf 1 1 1\nf 4 5 4\n"
                                          "o empty\n"));
  ASSERT_TRUE(loaded) << loaded.error;
  SceneNode* node = loaded.scene->root().child(0);
  ASSERT_NE(node, nullptr);
  // Assimp drops a name longer than its strings hold.
  if (node->name()) {
    EXPECT_EQ(std::string(node->name()).find_first_not_of('n'), std::string::npos);
  }
  Mesh* mesh = meshOf(node);
  ASSERT_NE(mesh, nullptr);
  ASSERT_EQ(mesh->numFaces(), 3);
  // The degenerate triangle keeps its one vertex three times.
  EXPECT_EQ(mesh->faces[1].v[0], mesh->faces[1].v[1]);
  EXPECT_EQ(mesh->faces[1].v[1], mesh->faces[1].v[2]);
  for (const Face& f : mesh->faces)
    for (uint32_t v : f.v) EXPECT_LT(v, static_cast<uint32_t>(mesh->numVerts()));
  mesh->checkNormals(true);
  EXPECT_EQ(meshOf(findNode(&loaded.scene->root(), "empty")), nullptr);
}

// --- real scenes from other tools --------------------------------------------------

TEST_F(SceneLoaderTest, AssimpTestModelsLoad) {
  if (!fs::is_directory(kModels)) GTEST_SKIP() << "assimp-testmodels is not installed";
  const char* scenes[] = {"FBX/box.fbx",
                          "FBX/cubes_with_names.fbx",
                          "FBX/box_orphant_embedded_texture.fbx",
                          "glTF2/BoxTextured-glTF/BoxTextured.gltf",
                          "glTF2/BoxTextured-glTF-Binary/BoxTextured.glb",
                          "OBJ/spider.obj",
                          "3DS/fels.3ds",
                          "ASE/ThreeCubesGreen.ASE",
                          "Collada/duck.dae",
                          "Collada/lights.dae"};
  for (const char* name : scenes) {
    SCOPED_TRACE(name);
    SceneLoadResult loaded = load((kModels / name).string());
    ASSERT_TRUE(loaded) << loaded.error;
    int faces = 0;
    std::vector<SceneNode*> stack{&loaded.scene->root()};
    while (!stack.empty()) {
      SceneNode* node = stack.back();
      stack.pop_back();
      if (Mesh* mesh = meshOf(node)) faces += mesh->numFaces();
      for (int i = 0; i < node->childCount(); ++i) stack.push_back(node->child(i));
    }
    EXPECT_GT(faces, 0);
  }

  // The embedded image of an FBX file lands beside the output under its own name.
  SceneLoadResult fbx = load((kModels / "FBX/box_orphant_embedded_texture.fbx").string());
  ASSERT_TRUE(fbx);
  EXPECT_TRUE(fs::is_regular_file(dir_ / "out" / "GridGrey.tga"));
  // A texture file beside a glTF scene is found there. Its nodes have no names.
  SceneLoadResult box = load((kModels / "glTF2/BoxTextured-glTF/BoxTextured.gltf").string());
  ASSERT_TRUE(box) << box.error;
  ASSERT_EQ(box.scene->root().childCount(), 1);
  SceneNode* top = box.scene->root().child(0);
  EXPECT_EQ(top->name(), nullptr);
  ASSERT_EQ(top->childCount(), 1);
  StandardMaterial* texture = standardMaterialOf(top->child(0)->material());
  ASSERT_NE(texture, nullptr);
  EXPECT_STREQ(texture->name(), "Texture");
  TextureMap* map = texture->subTexmap(Material::kDiffuseMap);
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(map->bitmap(0)->Width(), 211);
}

TEST_F(SceneLoaderTest, AssimpTestModelsNeverCrash) {
  if (!fs::is_directory(kModels)) GTEST_SKIP() << "assimp-testmodels is not installed";
  int loaded = 0, refused = 0;
  for (const char* folder : {"FBX", "glTF2", "OBJ", "3DS", "ASE", "Collada", "invalid"}) {
    for (const auto& entry : fs::recursive_directory_iterator(kModels / folder)) {
      // OutOfMemory.off declares billions of vertices: with memory overcommitted,
      // Assimp's OFF reader takes minutes before the system stops it.
      if (!entry.is_regular_file() || entry.path().filename() == "OutOfMemory.off") continue;
      const std::string ext = entry.path().extension().string();
      if (ext == ".png" || ext == ".jpg" || ext == ".bin" || ext == ".txt" || ext == ".mtl" ||
          ext == ".tga" || ext == ".md")
        continue;
      SceneLoadResult result = load(entry.path().string());
      if (result) {
        ++loaded;
      } else {
        ++refused;
        EXPECT_FALSE(result.error.empty()) << entry.path();
      }
    }
  }
  EXPECT_GT(loaded, 20);
  EXPECT_GT(refused, 0);  // the invalid folder
}

}  // namespace
