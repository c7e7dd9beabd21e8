#include "host/gltf_primitive.h"

#include <assimp/mesh.h>
#include <tiny_gltf.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "host/gltf_accessor.h"

namespace {

int attribute(const tinygltf::Primitive& p, const std::string& name) {
  const auto it = p.attributes.find(name);
  return it == p.attributes.end() ? -1 : it->second;
}

bool isSparse(const tinygltf::Model& model, int accessor) {
  return accessor >= 0 && size_t(accessor) < model.accessors.size() &&
         model.accessors[size_t(accessor)].sparse.isSparse;
}

// Collects the faces of one mode, leaving out those past the last vertex.
class FaceList {
 public:
  FaceList(aiMesh& mesh, size_t capacity) : mesh_(mesh) {
    if (capacity == 0) return;
    mesh_.mFaces = new aiFace[capacity];
  }
  void add(std::initializer_list<uint32_t> corners) {
    for (uint32_t c : corners)
      if (c >= mesh_.mNumVertices) {
        ++dropped_;
        return;
      }
    aiFace& f = mesh_.mFaces[mesh_.mNumFaces++];
    f.mNumIndices = unsigned(corners.size());
    f.mIndices = new unsigned[corners.size()];
    std::copy(corners.begin(), corners.end(), f.mIndices);
  }
  size_t dropped() const { return dropped_; }

 private:
  aiMesh& mesh_;
  size_t dropped_ = 0;
};

// The importer takes a numbered set only after every one before it.
std::string gapIn(const tinygltf::Primitive& p, const std::string& prefix) {
  size_t sets = 0;
  long highest = -1;
  for (const auto& entry : p.attributes) {
    if (entry.first.rfind(prefix, 0) != 0) continue;
    ++sets;
    highest = std::max(highest, std::atol(entry.first.c_str() + prefix.size()));
  }
  if (highest + 1 == long(sets)) return {};
  return "its " + prefix + "N sets are not numbered from 0 without a gap";
}

GltfPrimitiveResult refuse(const std::string& why) {
  GltfPrimitiveResult r;
  r.refusal = why;
  return r;
}

// The importer takes every set it reads as floats; quantized and sparse data it
// reads otherwise, so such files stay its own.
std::string assimpReason(const tinygltf::Model& model, const tinygltf::Primitive& p) {
  if (p.extensions.count("KHR_draco_mesh_compression")) return "Draco-compressed meshes";
  if (isSparse(model, p.indices)) return "sparse accessors";
  for (const auto& [name, accessor] : p.attributes) {
    if (isSparse(model, accessor)) return "sparse accessors";
    const bool floats = name == "POSITION" || name == "NORMAL" || name.rfind("TEXCOORD_", 0) == 0;
    if (floats && accessor >= 0 && size_t(accessor) < model.accessors.size() &&
        model.accessors[size_t(accessor)].componentType != TINYGLTF_COMPONENT_TYPE_FLOAT)
      return "quantized vertex attributes";
  }
  return {};
}

}  // namespace

GltfPrimitiveResult makeGltfMesh(const tinygltf::Model& model, const tinygltf::Primitive& p,
                                 const std::string& name, aiMesh& mesh) {
  GltfPrimitiveResult result;
  result.assimp = assimpReason(model, p);
  if (!result.assimp.empty()) return result;
  mesh.mName = aiString(name);
  std::string why;

  const int position = attribute(p, "POSITION");
  if (position >= 0) {
    const GltfAccessor a = GltfAccessor::open(model, position, why);
    if (!why.empty()) return refuse(why);
    if (a.components() != 3) return refuse("its positions are no 3D points");
    if (a.count() >= UINT_MAX) return refuse("it has too many vertices");
    mesh.mNumVertices = unsigned(a.count());
    mesh.mVertices = new aiVector3D[a.count()];
    for (size_t i = 0; i < a.count(); ++i)
      mesh.mVertices[i].Set(a.real(i, 0), a.real(i, 1), a.real(i, 2));
  }
  const size_t vertices = mesh.mNumVertices;

  // Sets whose count differs from the positions' are ignored, as the importer does.
  if (const int normal = attribute(p, "NORMAL"); normal >= 0) {
    const GltfAccessor a = GltfAccessor::open(model, normal, why);
    if (!why.empty()) return refuse(why);
    if (a.count() == vertices && a.components() == 3 && vertices > 0) {
      mesh.mNormals = new aiVector3D[vertices];
      for (size_t i = 0; i < vertices; ++i)
        mesh.mNormals[i].Set(a.real(i, 0), a.real(i, 1), a.real(i, 2));
    }
  }
  if (const int colors = attribute(p, "COLOR_0"); colors >= 0) {
    const GltfAccessor a = GltfAccessor::open(model, colors, why);
    if (!why.empty()) return refuse(why);
    const int type = a.componentType();
    const float scale = type == TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE    ? 255.0f
                        : type == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT ? 65535.0f
                                                                         : 0.0f;
    if (a.count() == vertices && vertices > 0 && (a.components() == 3 || a.components() == 4) &&
        (a.isFloat() || scale > 0)) {
      aiColor4D* c = mesh.mColors[0] = new aiColor4D[vertices];
      for (size_t i = 0; i < vertices; ++i) {
        float v[4] = {1, 1, 1, 1};
        for (int k = 0; k < a.components(); ++k)
          v[k] = a.isFloat() ? a.real(i, k) : float(a.whole(i, k)) / scale;
        c[i] = aiColor4D(v[0], v[1], v[2], v[3]);
      }
    }
  }
  for (const char* prefix : {"TEXCOORD_", "COLOR_"})
    if (const std::string gap = gapIn(p, prefix); !gap.empty()) return refuse(gap);
  for (unsigned set = 0; set < AI_MAX_NUMBER_OF_TEXTURECOORDS; ++set) {
    const int uv = attribute(p, "TEXCOORD_" + std::to_string(set));
    if (uv < 0) break;
    const GltfAccessor a = GltfAccessor::open(model, uv, why);
    if (!why.empty()) return refuse(why);
    if (a.count() != vertices || vertices == 0 || a.components() > 3) continue;
    aiVector3D* t = mesh.mTextureCoords[set] = new aiVector3D[vertices];
    mesh.mNumUVComponents[set] = a.components() == 3 ? 3 : 2;
    for (size_t i = 0; i < vertices; ++i) {
      // A single coordinate is U alone: the importer's clean-up zeroes V after the flip.
      const float v = a.components() >= 2 ? 1 - a.real(i, 1) : 0.0f;
      t[i].Set(a.real(i, 0), v, a.components() == 3 ? a.real(i, 2) : 0.0f);
    }
  }

  // The corners in order: the index accessor's, or the vertices' own.
  GltfAccessor indices;
  size_t count = vertices;
  if (p.indices >= 0) {
    indices = GltfAccessor::open(model, p.indices, why);
    if (!why.empty()) return refuse(why);
    if (indices.components() != 1 || indices.isFloat())
      return refuse("its indices are no whole numbers");
    count = indices.count();
  }
  const auto corner = [&](size_t i) -> uint32_t {
    return p.indices >= 0 ? indices.whole(i, 0) : uint32_t(i);
  };

  const int mode = p.mode < 0 ? TINYGLTF_MODE_TRIANGLES : p.mode;
  size_t faces = 0;
  switch (mode) {
    case TINYGLTF_MODE_POINTS:
      faces = count;
      mesh.mPrimitiveTypes = aiPrimitiveType_POINT;
      break;
    case TINYGLTF_MODE_LINE:
      faces = count / 2;
      mesh.mPrimitiveTypes = aiPrimitiveType_LINE;
      break;
    case TINYGLTF_MODE_LINE_LOOP:
    case TINYGLTF_MODE_LINE_STRIP:
      faces = count < 2 ? 0 : mode == TINYGLTF_MODE_LINE_LOOP ? count : count - 1;
      mesh.mPrimitiveTypes = aiPrimitiveType_LINE;
      break;
    case TINYGLTF_MODE_TRIANGLES:
      faces = count / 3;
      mesh.mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
      break;
    case TINYGLTF_MODE_TRIANGLE_STRIP:
    case TINYGLTF_MODE_TRIANGLE_FAN:
      faces = count < 3 ? 0 : count - 2;
      mesh.mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
      break;
    default:
      // A mode the importer does not know leaves the primitive without faces.
      return result;
  }

  // The importer counts faces in 32 bits.
  if (faces >= UINT_MAX) return refuse("it has too many faces");
  FaceList list(mesh, faces);
  switch (mode) {
    case TINYGLTF_MODE_POINTS:
      for (size_t i = 0; i < faces; ++i) list.add({corner(i)});
      break;
    case TINYGLTF_MODE_LINE:
      for (size_t i = 0; i < faces; ++i) list.add({corner(2 * i), corner(2 * i + 1)});
      break;
    case TINYGLTF_MODE_LINE_LOOP:
    case TINYGLTF_MODE_LINE_STRIP:
      for (size_t i = 1; i < count && faces > 0; ++i) list.add({corner(i - 1), corner(i)});
      if (mode == TINYGLTF_MODE_LINE_LOOP && faces > 0) list.add({corner(count - 1), corner(0)});
      break;
    case TINYGLTF_MODE_TRIANGLES:
      for (size_t i = 0; i < faces; ++i)
        list.add({corner(3 * i), corner(3 * i + 1), corner(3 * i + 2)});
      break;
    case TINYGLTF_MODE_TRIANGLE_STRIP:
      // Every other triangle turned, so that all face one way.
      for (size_t i = 0; i < faces; ++i) {
        if ((i + 1) % 2 == 0)
          list.add({corner(i + 1), corner(i), corner(i + 2)});
        else
          list.add({corner(i), corner(i + 1), corner(i + 2)});
      }
      break;
    case TINYGLTF_MODE_TRIANGLE_FAN:
      for (size_t i = 0; i < faces; ++i) list.add({corner(0), corner(i + 1), corner(i + 2)});
      break;
  }
  result.dropped = list.dropped();
  if (mesh.mNumFaces == 0)
    return refuse(faces == 0 ? std::string("it has no faces")
                             : "every face names a vertex past its " + std::to_string(vertices));
  return result;
}
