// Scene loading through Assimp: small files written here, one case per rule of the
// loader, real scenes from assimp-testmodels, and files that are not scenes.
#include "host/scene_loader.h"

#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/assimp_scene_check.h"
#include "host/embedded_images.h"
#include "host/pending_images.h"
#include "host/vertex_welder.h"
#include "plugin/material.h"
#include "plugin/texture_map.h"
#include "tests/host/scene_test_support.h"

namespace fs = std::filesystem;

namespace {

const fs::path kModels = "/usr/share/assimp/models";
const std::string kTriangleObj = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";

// A glTF 2.0 file whose scene lists the nodes `top`; `body` holds the other members.
std::string gltf(const std::string& body, const std::string& top = "[0]") {
  return R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":)" + top + "}]," + body + "}";
}

// A text FBX triangle declaring Z up, 5 units up, with user text and properties.
const char* kFbxTriangle = R"(; FBX 7.4.0 project file
FBXHeaderExtension: { FBXVersion: 7400 }
GlobalSettings: { Properties70: { P: "UpAxis", "int", "Integer", "",2
  P: "UpAxisSign", "int", "Integer", "",1 } }
Objects: {
  Geometry: 1, "Geometry::tri", "Mesh" { Vertices: *9 { a: 0,0,0,1,0,0,0,1,0 }
    PolygonVertexIndex: *3 { a: 0,1,-3 } }
  Model: 2, "Model::tri", "Mesh" { Properties70: {
    P: "Lcl Translation", "Lcl Translation", "", "A",0,0,5
    P: "UDP3DSMAX", "KString", "", "U", "FltComment = hello&cr;&lf;FltType = Object"
    P: "FltLodMax", "double", "Number", "U",100.5
    P: "Other", "int", "Integer", "U",3 } } }
Connections: { C: "OO",2,0
  C: "OO",1,2 }
)";

class SceneLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(dir_ / "out"); }
  void TearDown() override { fs::remove_all(dir_); }

  std::string write(const std::string& name, const std::string& text) {
    writeFile(dir_ / name, text);
    return (dir_ / name).string();
  }
  SceneLoadResult load(const std::string& path, UpAxis up = UpAxis::kAuto) {
    SceneLoadOptions options;
    options.upAxis = up;
    options.outputDirectory = (dir_ / "out").string();
    return loadScene(path, options);
  }
  // Writes and loads a scene; its node `name`, or null (failing the test) when missing.
  SceneNode* loadNode(const std::string& file, const std::string& text, const std::string& name,
                      UpAxis up = UpAxis::kAuto) {
    loaded_ = load(write(file, text), up);
    SceneNode* node = loaded_ ? findNode(&loaded_.scene->root(), name) : nullptr;
    if (!node) ADD_FAILURE() << file << " has no node " << name << ": " << loaded_.error;
    return node;
  }

  const fs::path dir_ = freshDir();
  SceneLoadResult loaded_;
};

// --- meshes, materials and images ---------------------------------------------------

TEST_F(SceneLoaderTest, ObjMaterialTextureAndPerCornerUvs) {
  writeFile(dir_ / "tiny.png", kPng3x2);
  write("quad.mtl",
        "newmtl red\nKa 0.1 0.2 0.3\nKd 1 0 0\nKs 0.5 0.5 0.5\nNs 64\nd 0.25\nKe 0.2 0.7 0.1\n"
        "map_Kd tiny.png\n");
  // The texture coordinates equal the positions but for a seam at the origin.
  SceneNode* quad = loadNode("quad.obj",
                             "mtllib quad.mtl\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
                             "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvt 2 2\nvn 0 0 1\n"
                             "o quad\nusemtl red\nf 1/1/1 2/2/1 3/3/1\nf 1/5/1 3/3/1 4/4/1\n",
                             "quad");
  Mesh* mesh = meshOf(quad);
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->numVerts(), 4) << "the seam does not split the geometry";
  ASSERT_EQ(mesh->numFaces(), 2);
  ASSERT_EQ(mesh->numTVerts(), 5);
  ASSERT_EQ(mesh->tvFaces.size(), 2u);
  for (int f = 0; f < 2; ++f)
    for (int c = 0; c < 3; ++c) {
      const Point3& p = mesh->verts[mesh->faces[f].v[c]];
      const Point3& t = mesh->tVerts[mesh->tvFaces[f].t[c]];
      const bool seam = f == 1 && p == Point3(0, 0, 0);
      EXPECT_EQ(t, seam ? Point3(2, 2, 0) : Point3(p.x, p.y, 0)) << f << "," << c;
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

TEST_F(SceneLoaderTest, MultiMaterialsAndNoMaterial) {
  // Two materials on one object: a multi-material, faces numbered in order of use.
  write("two.mtl", "newmtl green\nKd 0 1 0\nnewmtl blue\nKd 0 0 1\n");
  SceneNode* pair = loadNode("two.obj",
                             "mtllib two.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\n"
                             "o pair\nusemtl blue\nf 1 2 3\nusemtl green\nf 2 4 3\n",
                             "pair");
  ASSERT_NE(meshOf(pair), nullptr);
  Material* multi = pair->material();
  ASSERT_NE(multi, nullptr);
  EXPECT_EQ(multi->classId(), kMultiMaterialClassId);
  ASSERT_EQ(multi->numSubMaterials(), 2);
  const Mesh& mesh = *meshOf(pair);
  ASSERT_EQ(mesh.numFaces(), 2);
  for (const Face& face : mesh.faces) {
    const Material* sub = multi->subMaterial(face.materialId());
    ASSERT_NE(sub, nullptr);
    const bool blueFace = mesh.verts[face.v[0]] == Point3(0, 0, 0);
    EXPECT_STREQ(sub->name(), blueFace ? "blue" : "green");
  }

  // The files the reader opened are the scene's own: nothing may replace them.
  const std::vector<std::string>& kept = loaded_.scene->pendingImages().kept();
  EXPECT_NE(std::find(kept.begin(), kept.end(), (dir_ / "two.mtl").string()), kept.end())
      << ::testing::PrintToString(kept);

  // Without materials, Assimp's stand-in material is no material.
  SceneNode* t = loadNode("plain.obj", kTriangleObj + "o t\nf 1 2 3\n", "t");
  ASSERT_NE(meshOf(t), nullptr);
  EXPECT_EQ(t->material(), nullptr);
}

// The scene's look as property defaults: the node's own keys win, its text stays.
TEST_F(SceneLoaderTest, MaterialsGiveTheLookAsPropertyDefaults) {
  auto text = [](SceneNode* node, const char* key) {
    std::string value = "(none)";
    if (node) node->userPropertyString(key, value);
    return value;
  };
  write("two.mtl", "newmtl green\nKd 0 1 0\nnewmtl blue\nKd 0 0 1\n");
  const std::string twoObj = write("two.obj",
                                   "mtllib two.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\n"
                                   "o pair\nusemtl blue\nf 1 2 3\nusemtl green\nf 2 4 3\n");
  loaded_ = load(twoObj);
  ASSERT_TRUE(loaded_) << loaded_.error;
  SceneNode* pair = findNode(&loaded_.scene->root(), "pair");
  ASSERT_NE(pair, nullptr);
  EXPECT_EQ(pair->wireColor(), 0xFF0000u);  // blue, the first material used
  EXPECT_EQ(text(pair, "FltLightMode"), "Face Color Smooth");
  EXPECT_EQ(text(pair, "FltFaceColor"), "0000FFFF");
  EXPECT_EQ(text(pair, "FltDrawType"), "(none)");
  EXPECT_EQ(pair->userPropertyText(), "");

  SceneNode* t = loadNode("plain.obj", kTriangleObj + "o t\nf 1 2 3\n", "t");
  EXPECT_EQ(t->wireColor(), 0x808080u);
  EXPECT_EQ(text(t, "FltLightMode"), "Face Color Smooth");
  EXPECT_EQ(text(t, "FltFaceColor"), "808080FF");

  // Off, the nodes hold only what the file says.
  SceneLoadOptions authored;
  authored.sourceLook = false;
  loaded_ = loadScene(twoObj, authored);
  pair = findNode(&loaded_.scene->root(), "pair");
  EXPECT_EQ(pair->wireColor(), 0x808080u);
  EXPECT_EQ(text(pair, "FltLightMode"), "(none)");
  EXPECT_EQ(text(pair, "FltFaceColor"), "(none)");

  // glTF: double-sided and unlit materials; a key of the node's own wins.
  const std::string buffer =
      R"("buffers":[{"byteLength":36,"uri":"data:application/octet-stream;base64,)"
      R"(AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAAAAAAAAgD8AAAAA"}],)"
      R"("bufferViews":[{"buffer":0,"byteLength":36}],"accessors":[{"bufferView":0,)"
      R"("componentType":5126,"count":3,"type":"VEC3","min":[0,0,0],"max":[1,1,0]}])";
  const std::string sided = gltf(
      R"("nodes":[{"name":"top","children":[1,2]},{"name":"sheet","mesh":0},
  {"name":"own","mesh":0,"extras":{"FltDrawType":0,"FltLightMode":"Vertex_Color_Flat"}}],
"meshes":[{"primitives":[{"attributes":{"POSITION":0},"material":0}]}],
"extensionsUsed":["KHR_materials_unlit"],
"materials":[{"doubleSided":true,"extensions":{"KHR_materials_unlit":{}},
  "pbrMetallicRoughness":{"baseColorFactor":[1,0.5,0,1]}}],)" +
      buffer);
  SceneNode* sheet = loadNode("sided.gltf", sided, "sheet");
  SceneNode* own = findNode(&loaded_.scene->root(), "own");
  int drawType = -1;
  ASSERT_TRUE(sheet && sheet->userPropertyInt("FltDrawType", drawType));
  EXPECT_EQ(drawType, 1);
  EXPECT_EQ(text(sheet, "FltLightMode"), "(none)");
  EXPECT_EQ(text(sheet, "FltFaceColor"), "FF7F00FF");
  ASSERT_TRUE(own && own->userPropertyInt("FltDrawType", drawType));
  EXPECT_EQ(drawType, 0);
  EXPECT_EQ(text(own, "FltLightMode"), "Vertex_Color_Flat");
  EXPECT_EQ(own->userPropertyText().find("FltFaceColor"), std::string::npos);
}

TEST_F(SceneLoaderTest, GltfEmbeddedImageIsWrittenBesideTheOutput) {
  const char* kPngBase64 =
      "iVBORw0KGgoAAAANSUhEUgAAAAMAAAACCAIAAAASFvFNAAAAEElEQVR4nGP4z8AAQQxwFgBB0gX7h/C5SAAAAABJRU"
      "5ErkJggg==";
  // Positions (0,0,0) (1,0,0) (0,1,0), then texture coordinates (0,0) (1,0) (0,1).
  const char* kBufferBase64 =
      "AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAAAAAAAAgD8AAAAAAAAAAAAAAAAAAIA/AAAAAAAAAAAAAIA/";
  SceneNode* tri = loadNode("emb.gltf",
                            gltf(R"("nodes":[{"name":"tri","mesh":0}],
"meshes":[{"primitives":[{"attributes":{"POSITION":0,"TEXCOORD_0":1},"material":0}]}],
"extensionsUsed":["KHR_texture_transform"],
"materials":[{"name":"logo","pbrMetallicRoughness":{"baseColorTexture":{"index":0,
  "extensions":{"KHR_texture_transform":{"offset":[0.5,0],"scale":[2,2]}}},
  "baseColorFactor":[0.5,0.25,1,1]}}],
"textures":[{"source":0,"sampler":0}],"samplers":[{"wrapS":33071,"wrapT":10497}],
"images":[{"uri":"data:image/png;base64,)" +
                                 std::string(kPngBase64) +
                                 R"("}],
"buffers":[{"byteLength":60,"uri":"data:application/octet-stream;base64,)" +
                                 kBufferBase64 + R"("}],
"bufferViews":[{"buffer":0,"byteLength":36},{"buffer":0,"byteOffset":36,"byteLength":24}],
"accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3","min":[0,0,0],
  "max":[1,1,0]},{"bufferView":1,"componentType":5126,"count":3,"type":"VEC2"}])"),
                            "tri");
  ASSERT_NE(meshOf(tri), nullptr);
  EXPECT_TRUE(loaded_.warnings.empty());
  EXPECT_EQ(meshOf(tri)->numTVerts(), 3);
  StandardMaterial* logo = standardMaterialOf(tri->material());
  ASSERT_NE(logo, nullptr);
  EXPECT_EQ(logo->diffuse(0), Color(0.5f, 0.25f, 1));

  TextureMap* map = logo->subTexmap(Material::kDiffuseMap);
  ASSERT_NE(map, nullptr);
  const fs::path written = dir_ / "out" / "emb_tex0.png";
  EXPECT_EQ(fs::path(map->mapName()), written);
  EXPECT_FALSE(fs::exists(written)) << "written when the export starts, not while loading";
  loaded_.scene->pendingImages().extract([](const std::string& why) { ADD_FAILURE() << why; });
  std::ifstream in(written, std::ios::binary);
  EXPECT_EQ(std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {}), kPng3x2);
  EXPECT_EQ(map->bitmap(0)->Width(), 3);
  EXPECT_EQ(map->textureTiling(), TextureMap::kTileV);  // clamped in U, repeated in V
  // Offset and scale in glTF's texture space, whose V runs downwards.
  EXPECT_TRUE(near(Point3(0, 0, 0) * map->uvTransform(), {0.5f, -1, 0}));
  EXPECT_TRUE(near(Point3(1, 1, 0) * map->uvTransform(), {2.5f, 1, 0}));
}

TEST_F(SceneLoaderTest, EmbeddedImagesWaitForTheExportAndNeverReplaceWhatIsNoImage) {
  // Raw texels become a TGA file that image readers take; a second image of the
  // same name gets a number, and so does one whose name a file that is no image,
  // or the output, already has. A name that says it is no image gets the image's
  // own extension.
  aiScene scene;
  scene.mNumTextures = 4;
  scene.mTextures = new aiTexture*[4];
  const char* const kNames[] = {"pixels.png", "pixels.png", "keep.txt", "o.flt"};
  for (int i = 0; i < 4; ++i) {
    aiTexture* t = scene.mTextures[i] = new aiTexture;
    t->mFilename.Set(kNames[i]);
    t->mWidth = 2;
    t->mHeight = 1;
    t->pcData = new aiTexel[2];
  }
  // The last one holds a file's bytes, as glTF embeds them: here an SGI header.
  aiTexture& compressed = *scene.mTextures[3];
  delete[] compressed.pcData;
  compressed.pcData = new aiTexel[3];
  compressed.mWidth = 12;
  compressed.mHeight = 0;
  std::memcpy(compressed.pcData, "\x01\xDA\x00\x01\x00\x02\x00\x02\x00\x02\x00\x03", 12);
  const fs::path out = dir_ / "out";
  fs::create_directories(out);
  std::ofstream(out / "keep.tga") << "a note of the user's";
  std::vector<std::string> warnings;
  PendingImages pending;
  pending.keep((out / "o.flt.rgb").string());  // the output, not written yet
  EmbeddedImages images(scene, out, "scene", pending, warnings);
  EXPECT_EQ(images.fileFor(0), (out / "pixels.tga").string());
  EXPECT_EQ(images.fileFor(1), (out / "pixels_1.tga").string());
  EXPECT_EQ(images.fileFor(0), (out / "pixels.tga").string());
  EXPECT_EQ(images.fileFor(2), (out / "keep_1.tga").string());
  EXPECT_EQ(images.fileFor(3), (out / "o.flt_1.rgb").string());
  EXPECT_EQ(images.fileFor(4), "");
  EXPECT_TRUE(warnings.empty());
  EXPECT_FALSE(fs::exists(out / "pixels.tga")) << "loading writes nothing";

  std::vector<std::string> said;
  pending.extract([&](const std::string& text) { said.push_back(text); });
  EXPECT_TRUE(said.empty());
  int width = 0, height = 0;
  EXPECT_TRUE(readImageSize((out / "pixels.tga").string(), width, height));
  EXPECT_EQ(width, 2);
  EXPECT_EQ(height, 1);
  std::ifstream kept(out / "keep.tga");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "a note of the user's");
  EXPECT_TRUE(fs::exists(out / "o.flt_1.rgb"));
  EXPECT_FALSE(fs::exists(out / "o.flt.rgb"));
  // A failed export takes back what it created, and nothing else.
  pending.rollBack();
  EXPECT_FALSE(fs::exists(out / "pixels.tga"));
  EXPECT_FALSE(fs::exists(out / "pixels_1.tga"));
  EXPECT_TRUE(fs::exists(out / "keep.tga"));

  // An image it replaced comes back after a failure, and goes after a success.
  for (const bool success : {false, true}) {
    // A 1 x 1 TGA of the user's.
    std::ofstream(out / "pixels.tga")
        << std::string("\0\0\x02\0\0\0\0\0\0\0\0\0\x01\0\x01\0\x18\0rgb", 21);
    const std::vector<std::string> before = {"keep.tga", "pixels.tga"};
    PendingImages again;
    EmbeddedImages replacing(scene, out, "scene", again, warnings);
    EXPECT_EQ(replacing.fileFor(0), (out / "pixels.tga").string());
    again.extract([&](const std::string& text) { said.push_back(text); });
    EXPECT_EQ(fs::file_size(out / "pixels.tga"), 18u + 2 * 4) << "the scene's 2 x 1 image";
    if (success) again.commit();
    again.rollBack();
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(out)) left.push_back(e.path().filename());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, before);
    EXPECT_EQ(fs::file_size(out / "pixels.tga"), success ? 18u + 2 * 4 : 21u);
    EXPECT_TRUE(said.empty()) << said[0];
  }

  // A folder that cannot be written to: a warning, and the map names the file.
  PendingImages nowherePending;
  EmbeddedImages nowhere(scene, dir_ / "missing", "scene", nowherePending, warnings);
  EXPECT_EQ(nowhere.fileFor(0), (dir_ / "missing" / "pixels.tga").string());
  nowherePending.extract([&](const std::string& text) { said.push_back(text); });
  ASSERT_EQ(said.size(), 1u);
  EXPECT_NE(said[0].find("cannot write embedded image"), std::string::npos);
}

// --- user text, the root and the up axis ---------------------------------------------

TEST_F(SceneLoaderTest, UserTextFromGltfExtrasAndFbxProperties) {
  SceneNode* lod = loadNode("extras.gltf", gltf(R"("nodes":[{"name":"lod","extras":{
  "userText":"FltType = LOD\nFltLodMax = 100","FltLodMin":2.5,"fine":0.1,"flag":true,
  "off":false,"count":-7,"label":"hi","nested":{"a":1},"arr":[1,2]}}])"),
                            "lod");
  ASSERT_NE(lod, nullptr);
  EXPECT_EQ(lod->userPropertyText(),
            "FltType = LOD\r\nFltLodMax = 100\r\nFltLodMin = 2.5\r\nfine = 0.1\r\nflag = Yes\r\n"
            "off = No\r\ncount = -7\r\nlabel = hi\r\n");
  float lodMin = 0;
  EXPECT_TRUE(lod->userPropertyFloat("FltLodMin", lodMin));
  EXPECT_EQ(lodMin, 2.5f);

  // The application's text, then the Flt entries; FBX's own properties are left out.
  SceneNode* tri = loadNode("tri.fbx", kFbxTriangle, "tri");
  ASSERT_NE(tri, nullptr);
  EXPECT_EQ(tri->userPropertyText(),
            "FltComment = hello\r\nFltType = Object\r\nFltLodMax = 100.5\r\n");
  EXPECT_EQ(meshOf(tri)->numFaces(), 1);
  EXPECT_EQ(tri->material(), nullptr);
}

TEST_F(SceneLoaderTest, GltfRootRule) {
  // One top node: it is the host root's one child, with its own child below.
  ASSERT_NE(loadNode("single.gltf", gltf(R"("nodes":[{"name":"top","translation":[1,0,0],
  "children":[1]},{"name":"kid","translation":[0,2,0]},{"name":"unused"}])"),
                     "kid", UpAxis::kZ),
            nullptr);
  MemoryNode& root = loaded_.scene->root();
  ASSERT_EQ(root.childCount(), 1);
  SceneNode* top = root.child(0);
  EXPECT_STREQ(top->name(), "top");
  ASSERT_EQ(top->childCount(), 1);
  SceneNode* kid = top->child(0);
  EXPECT_STREQ(kid->name(), "kid");
  EXPECT_TRUE(near(kid->objectToWorld(0).getTrans(), {1, 2, 0}));
  // With children and nothing else: a helper; a bare leaf has no object.
  ASSERT_NE(top->evalWorldState(0).obj, nullptr);
  EXPECT_EQ(top->evalWorldState(0).obj->superClassId(), kHelperClass);
  EXPECT_EQ(kid->evalWorldState(0).obj, nullptr);
  EXPECT_FALSE(kid->isGroupHead());

  // Several top nodes: Assimp's made-up root stands for the scene.
  ASSERT_NE(loadNode("several.gltf", gltf(R"("nodes":[{"name":"a"},{}])", "[0,1]"), "a"), nullptr);
  MemoryNode& scene = loaded_.scene->root();
  ASSERT_EQ(scene.childCount(), 2);
  EXPECT_STREQ(scene.child(0)->name(), "a");
  EXPECT_EQ(scene.child(1)->name(), nullptr);  // unnamed in the file
}

TEST_F(SceneLoaderTest, UpAxis) {
  // An OBJ file is Y-up unless told otherwise.
  for (UpAxis up : {UpAxis::kAuto, UpAxis::kY, UpAxis::kZ}) {
    SCOPED_TRACE(int(up));
    SceneNode* t = loadNode("up.obj", kTriangleObj + "o t\nf 1 2 3\n", "t", up);
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(near(Point3(0, 1, 0) * t->objectToWorld(0),
                     up == UpAxis::kZ ? Point3(0, 1, 0) : Point3(0, 0, 1)));
  }

  // A Z-up Collada file: Assimp's made-up root turns it to Y-up, the host back.
  SceneNode* n = loadNode("zup.dae", R"(<COLLADA version="1.4.1">
<asset><up_axis>Z_UP</up_axis></asset><library_geometries><geometry id="tri"><mesh>
<source id="pos"><float_array id="xyz" count="9">0 0 0 1 0 0 0 0 1</float_array><technique_common>
<accessor source="#xyz" count="3" stride="3"><param name="X"/><param name="Y"/><param name="Z"/>
</accessor></technique_common></source><vertices id="v"><input semantic="POSITION" source="#pos"/>
</vertices><triangles count="1"><input semantic="VERTEX" source="#v" offset="0"/><p>0 1 2</p>
</triangles></mesh></geometry></library_geometries><library_visual_scenes><visual_scene id="s">
<node id="n" name="n"><instance_geometry url="#tri"/></node></visual_scene></library_visual_scenes>
<scene><instance_visual_scene url="#s"/></scene></COLLADA>)",
                          "n");
  ASSERT_NE(n, nullptr);
  EXPECT_TRUE(near(Point3(0, 0, 1) * n->objectToWorld(0), {0, 0, 1}));

  // An FBX file's declared Z up stays under auto; Y turns it.
  SceneNode* tri = loadNode("tri.fbx", kFbxTriangle, "tri");
  ASSERT_NE(tri, nullptr);
  EXPECT_TRUE(near(Point3(0, 1, 0) * tri->objectToWorld(0), {0, 1, 5}));
  tri = loadNode("tri.fbx", kFbxTriangle, "tri", UpAxis::kY);
  ASSERT_NE(tri, nullptr);
  EXPECT_TRUE(near(Point3(0, 1, 0) * tri->objectToWorld(0), {0, -5, 1}));
}

// --- welding and what is no triangle ----------------------------------------------

TEST_F(SceneLoaderTest, WeldingByPositionNormalAndColor) {
  // Two triangles folded along the edge from (0,0,0) to (1,0,0): +Z and +Y.
  const std::string fold =
      "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nvn 0 0 1\nvn 0 1 0\nvn 0 .6 .8\no f\n";
  // A crease: the edge's corners once per side, each with its side's normal.
  Mesh* crease = meshOf(loadNode("crease.obj", fold + "f 1//1 2//1 3//1\nf 2//2 1//2 4//2\n", "f"));
  ASSERT_NE(crease, nullptr);
  EXPECT_EQ(crease->numVerts(), 6);
  crease->checkNormals(true);
  for (int f = 0; f < 2; ++f)
    for (uint32_t v : crease->faces[f].v) {
      EXPECT_EQ(crease->getRVert(v).rFlags, RVertex::kSpecifiedNormal | 1);
      EXPECT_TRUE(near(crease->getRVert(v).rn.normal, crease->getFaceNormal(f)));
    }
  // One normal along the edge: welded, and the file's normals kept.
  Mesh* smooth = meshOf(loadNode("smooth.obj", fold + "f 1//3 2//3 3//1\nf 2//3 1//3 4//2\n", "f"));
  ASSERT_NE(smooth, nullptr);
  EXPECT_EQ(smooth->numVerts(), 4);
  smooth->checkNormals(true);
  EXPECT_TRUE(near(smooth->getRVert(smooth->faces[0].v[0]).rn.normal, {0, .6f, .8f}));
  EXPECT_TRUE(near(smooth->getRVert(smooth->faces[1].v[2]).rn.normal, {0, 1, 0}));
  // No normals: welded by position, normals built from smoothing group 1.
  Mesh* bare = meshOf(loadNode("bare.obj", fold + "f 1 2 3\nf 2 1 4\n", "f"));
  ASSERT_NE(bare, nullptr);
  EXPECT_EQ(bare->numVerts(), 4);
  bare->checkNormals(true);
  for (const Face& f : bare->faces) EXPECT_EQ(f.smGroup, 1u);
  for (int v = 0; v < 4; ++v) {
    EXPECT_FALSE(bare->getRVert(v).specified());
    EXPECT_EQ(bare->getRVert(v).normalCount(), 1);
  }
  EXPECT_TRUE(near(bare->getRVert(bare->faces[0].v[0]).rn.normal, normalize({0, 1, 1})));

  // Equal positions with different colors stay apart.
  Mesh* tinted =
      meshOf(loadNode("colors.obj",
                      "v 0 0 0 1 0 0\nv 1 0 0 1 0 0\nv 0 1 0 1 0 0\n"
                      "v 0 0 0 0 1 0\nv 0 1 0 0 1 0\nv -1 0 0 0 1 0\no c\nf 1 2 3\nf 4 5 6\n",
                      "c"));
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
  for (int i = 0; i < 5000; ++i) EXPECT_TRUE(welder.add(key(i)).added);
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

TEST_F(SceneLoaderTest, PointsLinesCamerasAndLightsCarryNoMesh) {
  Mesh* mixed = meshOf(loadNode("mixed.obj",
                                "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 5 5 5\n"
                                "o mixed\np 4\nl 1 4\nf 1 2 3\no wire\nl 1 2\nl 2 3\n",
                                "mixed"));
  ASSERT_NE(mixed, nullptr);
  EXPECT_EQ(mixed->numFaces(), 1);
  EXPECT_EQ(mixed->numVerts(), 3);
  SceneNode* wire = findNode(&loaded_.scene->root(), "wire");
  ASSERT_NE(wire, nullptr);
  EXPECT_EQ(wire->evalWorldState(0).obj, nullptr);
  // What the exporter cannot take is said once per node, with its count.
  std::sort(loaded_.warnings.begin(), loaded_.warnings.end());
  EXPECT_EQ(loaded_.warnings,
            (std::vector<std::string>{"node \"mixed\": 1 line segment and 1 point not exported",
                                      "node \"wire\": 2 line segments not exported"}));

  // Vertices and no faces at all (a point cloud): a scene without geometry.
  SceneLoadResult cloud = load(write("cloud.obj", kTriangleObj));
  ASSERT_TRUE(cloud) << cloud.error;
  EXPECT_EQ(cloud.scene->root().childCount(), 0);
  EXPECT_TRUE(cloud.warnings.empty());

  SceneNode* eye = loadNode("cam.gltf", gltf(R"("extensionsUsed":["KHR_lights_punctual"],
"extensions":{"KHR_lights_punctual":{"lights":[{"type":"point"}]}},
"cameras":[{"type":"perspective","perspective":{"yfov":0.8,"znear":0.1}}],
"nodes":[{"name":"group","children":[1,2]},{"name":"eye","camera":0},
  {"name":"bulb","extensions":{"KHR_lights_punctual":{"light":0}}}])"),
                            "eye");
  SceneNode* bulb = eye ? findNode(&loaded_.scene->root(), "bulb") : nullptr;
  ASSERT_TRUE(eye && bulb);
  ASSERT_NE(eye->evalWorldState(0).obj, nullptr);
  EXPECT_EQ(eye->evalWorldState(0).obj->superClassId(), kCameraClass);
  ASSERT_NE(bulb->evalWorldState(0).obj, nullptr);
  EXPECT_EQ(bulb->evalWorldState(0).obj->superClassId(), kLightClass);
  EXPECT_EQ(bulb->userPropertyText(), "");  // the light's extension is no user text
}

// --- files that are not scenes, and hostile ones -------------------------------------

TEST_F(SceneLoaderTest, BadFilesGiveAClearError) {
  const auto expectError = [&](const std::string& path, const std::string& why) {
    SceneLoadResult loaded = load(path);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(loaded.error.rfind("Error loading " + path + ": ", 0), 0u) << loaded.error;
    EXPECT_NE(loaded.error.find(why), std::string::npos) << loaded.error;
  };
  // Missing files, text files and a cut PLY are the zorvel command's tests.
  fs::create_directories(dir_ / "folder.obj");
  expectError((dir_ / "folder.obj").string(), "folder");
  // Assimp's OBJ reader skips every line it does not know.
  expectError(write("notes.obj", "Shopping list: milk, eggs.\n"), "holds no");
  expectError(write("cut.gltf", R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nod)"),
              "No suitable reader");
  // A binary FBX file cut inside its first block. (Assimp leaks on a cut text FBX.)
  static const char kFbx[] =
      "Kaydara FBX Binary  \0\x1a\0\xe8\x1c\0\0\xe8\x03\0\0\0\0\0\0\0\0\0\0\x07Objects";
  expectError(write("cut.fbx", std::string(kFbx, sizeof kFbx - 1)), "out of range");
  // A binary glTF whose header promises more than the file holds.
  static const char kGlb[] = "glTF\x02\0\0\0\x00\x10\0\0\x40\0\0\0JSON{\"asset\":";
  expectError(write("cut.glb", std::string(kGlb, sizeof kGlb - 1)), "No suitable reader");
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
                                          longName + "\nf 1 2 3\nf 1 1 1\nf 4 5 4\no empty\n"));
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

// --- real scenes from other tools -----------------------------------------------------

// The zorvel command's tests export every sound sample scene; here the embedded
// image of one and the files made to break readers.
TEST_F(SceneLoaderTest, AssimpTestModels) {
  if (!fs::is_directory(kModels)) GTEST_SKIP() << "assimp-testmodels is not installed";
  // The embedded image of an FBX file lands beside the output under its own name.
  SceneLoadResult fbx = load((kModels / "FBX/box_orphant_embedded_texture.fbx").string());
  ASSERT_TRUE(fbx) << fbx.error;
  fbx.scene->pendingImages().extract([](const std::string& why) { ADD_FAILURE() << why; });
  EXPECT_TRUE(fs::is_regular_file(dir_ / "out" / "GridGrey.tga"));

  int refused = 0;
  for (const auto& entry : fs::directory_iterator(kModels / "invalid")) {
    // OutOfMemory.off declares billions of vertices: with memory overcommitted,
    // Assimp's OFF reader takes minutes before the system stops it.
    if (entry.path().filename() == "OutOfMemory.off" || entry.path().extension() == ".txt")
      continue;
    SceneLoadResult result = load(entry.path().string());
    refused += !result;
    EXPECT_TRUE(result || !result.error.empty()) << entry.path();
  }
  EXPECT_GT(refused, 0);
}

}  // namespace
