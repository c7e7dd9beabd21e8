#include "host/assimp_mesh.h"

#include <assimp/mesh.h>

#include <algorithm>

#include "host/vertex_welder.h"

namespace {

constexpr uint32_t kUnset = ~0u;
// Key words: position, normal, color, then whether there is a normal.
constexpr size_t kGeometryWords = 10;
constexpr size_t kUvWords = 3;

bool hasUv(const aiMesh& mesh, unsigned channel) {
  return channel < AI_MAX_NUMBER_OF_TEXTURECOORDS && mesh.HasTextureCoords(channel);
}

void putPoint(uint32_t* key, float x, float y, float z) {
  key[0] = weldBits(x);
  key[1] = weldBits(y);
  key[2] = weldBits(z);
}

}  // namespace

bool isUsableTriangle(const aiMesh& mesh, unsigned face) {
  if (!mesh.mFaces || !mesh.mVertices || face >= mesh.mNumFaces) return false;
  const aiFace& f = mesh.mFaces[face];
  if (f.mNumIndices != 3 || !f.mIndices) return false;
  for (int k = 0; k < 3; ++k)
    if (f.mIndices[k] >= mesh.mNumVertices) return false;
  return true;
}

bool hasTriangles(const aiMesh& mesh) {
  for (unsigned f = 0; f < mesh.mNumFaces; ++f)
    if (isUsableTriangle(mesh, f)) return true;
  return false;
}

Mesh buildHostMesh(const std::vector<MeshPart>& parts) {
  size_t triangles = 0, vertices = 0;
  bool anyColors = false, anyUv = false;
  for (const MeshPart& part : parts) {
    if (!part.mesh || !hasTriangles(*part.mesh)) continue;
    triangles += part.mesh->mNumFaces;
    vertices += part.mesh->mNumVertices;
    anyColors |= part.mesh->HasVertexColors(0);
    anyUv |= hasUv(*part.mesh, part.uvChannel);
  }

  Mesh out;
  out.faces.reserve(triangles);
  if (anyUv) out.tvFaces.reserve(triangles);
  VertexWelder<kGeometryWords> geometry;
  VertexWelder<kUvWords> uvs;
  std::vector<Point3> normals;
  std::vector<bool> specified;
  // At most one host vertex per Assimp vertex, and in closed meshes about half as
  // many as triangles; Assimp's meshes give each corner a vertex of its own.
  const size_t expected = std::min(vertices, triangles + 2);
  out.verts.reserve(expected);
  normals.reserve(expected);
  specified.reserve(expected);
  if (anyColors) out.vertCols.reserve(expected);
  uint32_t noUv = kUnset;  // the texture vertex of parts without coordinates

  for (const MeshPart& part : parts) {
    if (!part.mesh || !hasTriangles(*part.mesh)) continue;
    const aiMesh& m = *part.mesh;
    const bool withNormals = m.HasNormals();
    const bool withColors = m.HasVertexColors(0);
    const bool withUv = hasUv(m, part.uvChannel);
    // Assimp vertex to host vertex; only vertices that triangles use are welded.
    std::vector<uint32_t> geoOf(m.mNumVertices, kUnset);
    std::vector<uint32_t> uvOf(withUv ? m.mNumVertices : 0, kUnset);

    for (unsigned f = 0; f < m.mNumFaces; ++f) {
      if (!isUsableTriangle(m, f)) continue;
      Face face;
      TVFace tvFace;
      face.smGroup = 1;
      face.setMaterialId(part.materialId);
      for (int k = 0; k < 3; ++k) {
        const unsigned a = m.mFaces[f].mIndices[k];
        if (geoOf[a] == kUnset) {
          VertexWelder<kGeometryWords>::Key key{};
          const aiVector3D& p = m.mVertices[a];
          putPoint(key.data(), p.x, p.y, p.z);
          if (withNormals) {
            const aiVector3D& n = m.mNormals[a];
            putPoint(key.data() + 3, n.x, n.y, n.z);
            key[9] = 1;
          }
          Point3 color{1, 1, 1};
          if (withColors) color = {m.mColors[0][a].r, m.mColors[0][a].g, m.mColors[0][a].b};
          if (anyColors) putPoint(key.data() + 6, color.x, color.y, color.z);
          const auto r = geometry.add(key);
          if (r.added) {
            out.verts.push_back({p.x, p.y, p.z});
            if (anyColors) out.vertCols.push_back(color);
            const aiVector3D n = withNormals ? m.mNormals[a] : aiVector3D();
            normals.push_back({n.x, n.y, n.z});
            specified.push_back(withNormals);
          }
          geoOf[a] = r.index;
        }
        face.v[k] = geoOf[a];

        if (!anyUv) continue;
        uint32_t& t = withUv ? uvOf[a] : noUv;
        if (t == kUnset) {
          VertexWelder<kUvWords>::Key key{};
          Point3 uv;
          if (withUv) {
            const aiVector3D& c = m.mTextureCoords[part.uvChannel][a];
            uv = {c.x, c.y, c.z};
          }
          putPoint(key.data(), uv.x, uv.y, uv.z);
          const auto r = uvs.add(key);
          if (r.added) out.tVerts.push_back(uv);
          t = r.index;
        }
        tvFace.t[k] = t;
      }
      out.faces.push_back(face);
      if (anyUv) out.tvFaces.push_back(tvFace);
    }
  }

  for (size_t v = 0; v < specified.size(); ++v)
    if (specified[v]) out.setSpecifiedNormal(static_cast<int>(v), normalize(normals[v]));
  return out;
}
