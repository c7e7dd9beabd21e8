#include "host/obj_reader.h"

#include <tiny_obj_loader.h>

#include <cmath>
#include <filesystem>
#include <istream>
#include <streambuf>

#include "host/mapped_file.h"
#include "host/obj_materials.h"
#include "host/obj_text.h"
#include "host/polygon_triangulation.h"

namespace fs = std::filesystem;

namespace {

// The text as a stream without a copy; it is only read.
class TextBuffer : public std::streambuf {
 public:
  explicit TextBuffer(std::string_view text) {
    char* begin = const_cast<char*>(text.data());
    setg(begin, begin, begin + text.size());
  }
};

std::string trimmed(const std::string& s) {
  const size_t begin = s.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return {};
  return s.substr(begin, s.find_last_not_of(" \t\r") + 1 - begin);
}

std::string firstLine(const std::string& s) {
  return trimmed(s.substr(0, s.find('\n')));
}

template <class T>
T* copyOut(const std::vector<T>& v) {
  if (v.empty()) return nullptr;
  T* out = new T[v.size()];
  std::copy(v.begin(), v.end(), out);
  return out;
}

class SceneMaker {
 public:
  SceneMaker(const tinyobj::attrib_t& attrib, bool colored)
      : attrib_(attrib),
        positions_(attrib.vertices.size() / 3),
        normals_(attrib.normals.size() / 3),
        uvs_(attrib.texcoords.size() / 2),
        colored_(colored && attrib.colors.size() >= attrib.vertices.size()),
        runOf_(positions_, 0),
        lastVertex_(positions_, 0) {}

  // The node of one shape, or empty `error` and null when it holds nothing.
  aiNode* node(const tinyobj::shape_t& shape, const std::string& name, std::string& error);

  std::vector<aiMesh*> meshes;

 private:
  struct Corner {
    int v, n, t;
  };
  aiMesh* triangleMesh(const tinyobj::mesh_t& mesh, size_t firstFace, size_t endFace,
                       size_t firstIndex, size_t endIndex, const std::string& name,
                       std::string& error);
  aiMesh* primitiveMesh(const std::vector<tinyobj::index_t>& indices, const std::vector<int>* runs,
                        const std::string& name);
  aiVector3D position(int v) const {
    const float* p = &attrib_.vertices[3 * size_t(v)];
    return {p[0], p[1], p[2]};
  }

  const tinyobj::attrib_t& attrib_;
  const size_t positions_, normals_, uvs_;
  const bool colored_;
  // Kept from mesh to mesh, so that a scene of many small ones allocates them once.
  std::vector<aiVector3D> polygon_;
  std::vector<unsigned> triangles_;
  std::vector<Corner> vertices_;
  std::vector<unsigned> corners_;
  // Per position: the run of faces that last made a vertex of it, and that vertex.
  unsigned run_ = 0;
  std::vector<unsigned> runOf_, lastVertex_;
};

aiNode* SceneMaker::node(const tinyobj::shape_t& shape, const std::string& name,
                         std::string& error) {
  const tinyobj::mesh_t& mesh = shape.mesh;
  const size_t first = meshes.size();
  size_t index = 0;
  for (size_t f = 0; f < mesh.num_face_vertices.size();) {
    // A run of faces in one material is one mesh, as Assimp splits at `usemtl`.
    size_t end = f + 1, corners = mesh.num_face_vertices[f];
    while (end < mesh.num_face_vertices.size() && mesh.material_ids[end] == mesh.material_ids[f])
      corners += mesh.num_face_vertices[end++];
    aiMesh* m = triangleMesh(mesh, f, end, index, index + corners, name, error);
    if (!error.empty()) return nullptr;
    if (m) meshes.push_back(m);
    index += corners;
    f = end;
  }
  if (aiMesh* lines = primitiveMesh(shape.lines.indices, &shape.lines.num_line_vertices, name))
    meshes.push_back(lines);
  if (aiMesh* points = primitiveMesh(shape.points.indices, nullptr, name)) meshes.push_back(points);
  if (meshes.size() == first) return nullptr;

  auto* node = new aiNode(name);
  node->mNumMeshes = unsigned(meshes.size() - first);
  node->mMeshes = new unsigned[node->mNumMeshes];
  for (unsigned i = 0; i < node->mNumMeshes; ++i) node->mMeshes[i] = unsigned(first + i);
  return node;
}

aiMesh* SceneMaker::triangleMesh(const tinyobj::mesh_t& mesh, size_t firstFace, size_t endFace,
                                 size_t firstIndex, size_t endIndex, const std::string& name,
                                 std::string& error) {
  // A normal or texture coordinate the file does not hold is none.
  const auto normalOf = [&](const tinyobj::index_t& i) {
    return i.normal_index >= 0 && size_t(i.normal_index) < normals_ ? i.normal_index : -1;
  };
  const auto uvOf = [&](const tinyobj::index_t& i) {
    return i.texcoord_index >= 0 && size_t(i.texcoord_index) < uvs_ ? i.texcoord_index : -1;
  };
  bool withNormals = false, withUvs = false;
  for (size_t i = firstIndex; i < endIndex; ++i) {
    withNormals |= normalOf(mesh.indices[i]) >= 0;
    withUvs |= uvOf(mesh.indices[i]) >= 0;
  }

  // Corners of one position, normal and texture coordinate share a vertex, but for
  // those without a normal among corners with one: they take their face's.
  ++run_;
  std::vector<Corner>& vertices = vertices_;
  std::vector<unsigned>& corners = corners_;  // three per triangle
  vertices.clear();
  corners.clear();
  size_t at = firstIndex;
  for (size_t f = firstFace; f < endFace; ++f) {
    const unsigned count = mesh.num_face_vertices[f];
    const tinyobj::index_t* face = &mesh.indices[at];
    at += count;
    polygon_.clear();
    for (unsigned k = 0; k < count; ++k) {
      const int v = face[k].vertex_index;
      if (v < 0 || size_t(v) >= positions_) {
        error = "a face of \"" + name + "\" names a vertex beyond the " +
                std::to_string(positions_) + " the file holds";
        return nullptr;
      }
      polygon_.push_back(position(v));
    }
    triangles_.clear();
    triangulatePolygon(polygon_.data(), count, triangles_);
    for (unsigned k : triangles_) {
      const Corner c{face[k].vertex_index, normalOf(face[k]), uvOf(face[k])};
      const bool shared = !withNormals || c.n >= 0;
      unsigned& last = lastVertex_[size_t(c.v)];
      if (!shared || runOf_[size_t(c.v)] != run_ || vertices[last].n != c.n ||
          vertices[last].t != c.t) {
        vertices.push_back(c);
        if (shared) {
          last = unsigned(vertices.size() - 1);
          runOf_[size_t(c.v)] = run_;
        }
        corners.push_back(unsigned(vertices.size() - 1));
      } else {
        corners.push_back(last);
      }
    }
  }
  if (corners.empty()) return nullptr;

  auto* m = new aiMesh;
  m->mName = name;
  m->mMaterialIndex = unsigned(mesh.material_ids[firstFace] + 1);
  m->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
  const unsigned count = unsigned(vertices.size());
  m->mNumVertices = count;
  m->mVertices = new aiVector3D[count];
  if (withNormals) m->mNormals = new aiVector3D[count];
  if (withUvs) {
    m->mTextureCoords[0] = new aiVector3D[count];
    m->mNumUVComponents[0] = 2;
  }
  if (colored_) m->mColors[0] = new aiColor4D[count];
  for (unsigned i = 0; i < count; ++i) {
    const Corner& k = vertices[i];
    m->mVertices[i] = position(k.v);
    if (withUvs && k.t >= 0) {
      const float* t = &attrib_.texcoords[2 * size_t(k.t)];
      m->mTextureCoords[0][i] = {t[0], t[1], 0};
    }
    if (colored_) {
      const float* rgb = &attrib_.colors[3 * size_t(k.v)];
      m->mColors[0][i] = {rgb[0], rgb[1], rgb[2], 1};
    }
    if (withNormals && k.n >= 0) {
      const float* n = &attrib_.normals[3 * size_t(k.n)];
      m->mNormals[i] = {n[0], n[1], n[2]};
    }
  }
  m->mNumFaces = unsigned(corners.size() / 3);
  m->mFaces = new aiFace[m->mNumFaces];
  for (unsigned f = 0; f < m->mNumFaces; ++f) {
    aiFace& face = m->mFaces[f];
    const unsigned* c = &corners[3 * f];
    face.mNumIndices = 3;
    face.mIndices = new unsigned[3]{c[0], c[1], c[2]};
    if (!withNormals) continue;
    const aiVector3D* p = m->mVertices;
    const aiVector3D flat = ((p[c[1]] - p[c[0]]) ^ (p[c[2]] - p[c[0]])).NormalizeSafe();
    for (unsigned k = 0; k < 3; ++k)
      if (vertices[c[k]].n < 0) m->mNormals[c[k]] = flat;
  }
  return m;
}

// Line segments (`runs` holds each polyline's length) or points, for the count of
// what is not exported.
aiMesh* SceneMaker::primitiveMesh(const std::vector<tinyobj::index_t>& indices,
                                  const std::vector<int>* runs, const std::string& name) {
  std::vector<std::vector<unsigned>> faces;
  std::vector<int> used;
  auto corner = [&](size_t i) {
    const int v = indices[i].vertex_index;
    used.push_back(v >= 0 && size_t(v) < positions_ ? v : -1);
    return unsigned(used.size() - 1);
  };
  if (runs) {
    size_t at = 0;
    for (int run : *runs) {
      for (int k = 0; k + 1 < run && at + k + 1 < indices.size(); ++k)
        faces.push_back({corner(at + k), corner(at + k + 1)});
      at += std::max(run, 0);
    }
  } else {
    for (size_t i = 0; i < indices.size(); ++i) faces.push_back({corner(i)});
  }
  if (faces.empty()) return nullptr;
  auto* m = new aiMesh;
  m->mName = name;
  m->mPrimitiveTypes = runs ? aiPrimitiveType_LINE : aiPrimitiveType_POINT;
  m->mNumVertices = unsigned(used.size());
  m->mVertices = new aiVector3D[used.size()];
  for (size_t i = 0; i < used.size(); ++i)
    if (used[i] >= 0) m->mVertices[i] = position(used[i]);
  m->mNumFaces = unsigned(faces.size());
  m->mFaces = new aiFace[faces.size()];
  for (size_t f = 0; f < faces.size(); ++f) {
    m->mFaces[f].mNumIndices = unsigned(faces[f].size());
    m->mFaces[f].mIndices = copyOut(faces[f]);
  }
  return m;
}

// tinyobjloader's reasons, in the loader's words.
std::string readerError(const std::string& error) {
  const std::string line = firstLine(error);
  const size_t at = line.find("line ");
  if (line.find("zero value") != std::string::npos && at != std::string::npos)
    return "an index of 0 on " +
           line.substr(at, line.find_first_not_of("0123456789", at + 5) - at) +
           " (indices count from 1)";
  return line;
}

bool anyColor(const std::vector<float>& colors) {
  for (float c : colors)
    if (c != 1.0f) return true;
  return false;
}

// tinyobjloader keeps a face's corner count in a byte.
bool cornerCountsFit(const tinyobj::mesh_t& mesh) {
  size_t sum = 0;
  for (unsigned char n : mesh.num_face_vertices) sum += n;
  return sum == mesh.indices.size();
}

}  // namespace

ObjReadResult readObj(const std::string& path) {
  ObjReadResult result;
  // Read in one go: through a stream iterator a large file took a fifth of the load.
  const MappedFile file(path);
  if (!file.error().empty()) {
    result.error = "cannot read it: " + file.error();
    return result;
  }
  ObjText text = prepareObjText({reinterpret_cast<const char*>(file.data()), file.size()});

  tinyobj::attrib_t attrib;
  std::vector<tinyobj::shape_t> shapes;
  std::vector<tinyobj::material_t> materials;
  std::string warning, error;
  ObjMaterialLibrary library(fs::path(path), text);
  {
    TextBuffer buffer(text.source());
    std::istream stream(&buffer);
    if (!tinyobj::LoadObj(&attrib, &shapes, &materials, &warning, &error, &stream, &library, false,
                          true)) {
      result.error = error.empty() ? "not an OBJ file" : readerError(error);
      return result;
    }
  }
  std::string().swap(text.text);  // the mapping goes with `file`
  result.opened = library.opened();
  for (const tinyobj::shape_t& shape : shapes) {
    if (!cornerCountsFit(shape.mesh)) {
      result.needsAssimp = true;
      return result;
    }
  }

  auto scene = std::make_unique<aiScene>();
  scene->mRootNode = new aiNode(fs::path(path).filename().string());
  scene->mNumMaterials = unsigned(materials.size() + 1);
  scene->mMaterials = new aiMaterial*[scene->mNumMaterials];
  scene->mMaterials[0] = toAssimpMaterial(objDefaultMaterial());
  for (size_t i = 0; i < materials.size(); ++i)
    scene->mMaterials[i + 1] = toAssimpMaterial(materials[i]);

  SceneMaker maker(attrib, text.firstVertexColored || anyColor(attrib.colors));
  std::vector<aiNode*> nodes;
  for (size_t s = 0; s < shapes.size(); ++s) {
    std::string name = trimmed(shapes[s].name);
    if (s == 0 && name.empty() && text.facesBeforeObject) name = "defaultobject";
    std::string why;
    aiNode* node = maker.node(shapes[s], name, why);
    if (!why.empty()) {
      for (aiNode* n : nodes) delete n;
      for (aiMesh* m : maker.meshes) delete m;
      result.error = why;
      return result;
    }
    if (node) nodes.push_back(node);
    shapes[s] = tinyobj::shape_t();  // its indices are in the meshes now
  }
  if (!nodes.empty()) scene->mRootNode->addChildren(unsigned(nodes.size()), nodes.data());
  if (shapes.empty() && !attrib.vertices.empty()) {
    // Vertices alone: a point cloud at the root, as Assimp leaves one.
    auto* cloud = new aiMesh;
    cloud->mPrimitiveTypes = aiPrimitiveType_POINT;
    cloud->mNumVertices = unsigned(attrib.vertices.size() / 3);
    cloud->mVertices = new aiVector3D[cloud->mNumVertices];
    for (unsigned v = 0; v < cloud->mNumVertices; ++v)
      cloud->mVertices[v] = {attrib.vertices[3 * v], attrib.vertices[3 * v + 1],
                             attrib.vertices[3 * v + 2]};
    maker.meshes.push_back(cloud);
    scene->mRootNode->mNumMeshes = 1;
    scene->mRootNode->mMeshes = new unsigned[1]{0};
  }
  scene->mNumMeshes = unsigned(maker.meshes.size());
  scene->mMeshes = copyOut(maker.meshes);
  result.scene = std::move(scene);
  return result;
}
