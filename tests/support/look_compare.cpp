#include "tests/support/look_compare.h"

#include "tests/support/written_faces.h"

#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <assimp/Importer.hpp>
#include <cmath>
#include <cstring>
#include <map>
#include <sstream>

namespace {

std::string text(V3 p) {
  std::ostringstream s;
  s << '(' << p.x << ", " << p.y << ", " << p.z << ')';
  return s.str();
}
std::string text(double x) {
  std::ostringstream s;
  s << x;
  return s.str();
}
std::string text(Rgb c) {
  std::ostringstream s;
  s << "rgb(" << c.r << ", " << c.g << ", " << c.b << ')';
  return s.str();
}

// What the source asks of one triangle.
struct SourceTriangle {
  std::string node;
  V3 corner[3];
  bool hasUv = false;
  double u[3] = {0, 0, 0}, v[3] = {0, 0, 0};
  bool hasNormals = false;  // unit length, in the world
  V3 n[3];
  bool hasColor = false;
  Rgb color;
  int lightMode = -1;  // -1: nothing to ask
  int drawType = 0;
  // A mirroring transform turns the corners' order: the front stays where the
  // normals are, as the modelling host shows it.
  bool mirrored = false;
};

const char* const kStandInNames[] = {AI_DEFAULT_MATERIAL_NAME, "%%%DEFAULT"};

bool isStandIn(const aiMaterial* m) {
  if (!m) return true;
  aiString name;
  m->Get(AI_MATKEY_NAME, name);
  for (const char* standIn : kStandInNames)
    if (std::strcmp(name.C_Str(), standIn) == 0) return true;
  return false;
}

double unit(float v) {
  return std::isfinite(v) ? std::clamp(double(v), 0.0, 1.0) : 0.0;
}

bool diffuseOf(const aiMaterial& m, Rgb& out) {
  aiColor4D c;
  if (m.Get(AI_MATKEY_COLOR_DIFFUSE, c) != AI_SUCCESS &&
      m.Get(AI_MATKEY_BASE_COLOR, c) != AI_SUCCESS)
    return false;
  out = {unit(c.r), unit(c.g), unit(c.b)};
  return true;
}

// The channel the diffuse texture reads, and whether its coordinates are moved.
unsigned uvChannelOf(const aiMaterial& m, bool& transformed) {
  const aiTextureType type = m.GetTextureCount(aiTextureType_BASE_COLOR) > 0
                                 ? aiTextureType_BASE_COLOR
                                 : aiTextureType_DIFFUSE;
  int channel = 0;
  m.Get(AI_MATKEY_UVWSRC(type, 0), channel);
  aiUVTransform t;
  transformed = m.Get(AI_MATKEY_UVTRANSFORM(type, 0), t) == AI_SUCCESS &&
                (t.mTranslation.x != 0 || t.mTranslation.y != 0 || t.mScaling.x != 1 ||
                 t.mScaling.y != 1 || t.mRotation != 0);
  return channel >= 0 && channel < AI_MAX_NUMBER_OF_TEXTURECOORDS ? unsigned(channel) : 0;
}

class SourceReader {
 public:
  SourceReader(const aiScene& scene, bool upToZ) : scene_(scene), upToZ_(upToZ) {}

  void walk(const aiNode& node, const aiMatrix4x4& parent) {
    const aiMatrix4x4 world = parent * node.mTransformation;
    addNode(node, world);
    for (unsigned i = 0; i < node.mNumChildren; ++i) walk(*node.mChildren[i], world);
  }

  std::vector<SourceTriangle> triangles;
  double extent = 0;

 private:
  void addNode(const aiNode& node, const aiMatrix4x4& world) {
    bool anyMaterial = false, anyColors = false;
    for (unsigned k = 0; k < node.mNumMeshes; ++k) {
      const aiMesh& mesh = *scene_.mMeshes[node.mMeshes[k]];
      if (!(mesh.mPrimitiveTypes & aiPrimitiveType_TRIANGLE)) continue;
      anyMaterial |= !isStandIn(materialOf(mesh));
      anyColors |= mesh.HasVertexColors(0);
    }
    for (unsigned k = 0; k < node.mNumMeshes; ++k) {
      const aiMesh& mesh = *scene_.mMeshes[node.mMeshes[k]];
      const aiMaterial* material = materialOf(mesh);
      SourceTriangle proto;
      proto.node = node.mName.C_Str();
      proto.mirrored = world.Determinant() < 0;
      bool uvMoved = false;
      unsigned channel = 0;
      if (!isStandIn(material)) {
        proto.hasColor = diffuseOf(*material, proto.color);
        int model = aiShadingMode_Gouraud;
        material->Get(AI_MATKEY_SHADING_MODEL, model);
        proto.lightMode = model == aiShadingMode_NoShading ? 0 : anyColors ? 3 : 2;
        int twoSided = 0;
        material->Get(AI_MATKEY_TWOSIDED, twoSided);
        proto.drawType = twoSided ? 1 : 0;
        channel = uvChannelOf(*material, uvMoved);
      } else if (!anyMaterial) {
        // A node without any material is drawn in the grey of its wire colour.
        proto.hasColor = true;
        proto.color = {128 / 255.0, 128 / 255.0, 128 / 255.0};
      }
      proto.hasUv = mesh.HasTextureCoords(channel) && !uvMoved;
      proto.hasNormals = mesh.HasNormals();
      aiMatrix3x3 normalMatrix(world);
      normalMatrix.Inverse().Transpose();
      for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (face.mNumIndices != 3) continue;
        SourceTriangle t = proto;
        for (int c = 0; c < 3; ++c) {
          const unsigned at = face.mIndices[c];
          t.corner[c] = place(world * mesh.mVertices[at]);
          for (double x : {t.corner[c].x, t.corner[c].y, t.corner[c].z})
            if (std::isfinite(x)) extent = std::max(extent, std::fabs(x));
          if (t.hasUv) {
            t.u[c] = mesh.mTextureCoords[channel][at].x;
            t.v[c] = mesh.mTextureCoords[channel][at].y;
          }
          if (t.hasNormals) {
            const V3 n = place(normalMatrix * mesh.mNormals[at]);
            const double l = length(n);
            t.n[c] = n * (1 / l);
            t.hasNormals = l > 0 && std::isfinite(l);
          }
        }
        triangles.push_back(t);
      }
    }
  }

  const aiMaterial* materialOf(const aiMesh& mesh) const {
    return mesh.mMaterialIndex < scene_.mNumMaterials ? scene_.mMaterials[mesh.mMaterialIndex]
                                                      : nullptr;
  }

  V3 place(const aiVector3D& p) const {
    if (upToZ_) return {p.x, -double(p.z), p.y};
    return {p.x, p.y, p.z};
  }

  const aiScene& scene_;
  bool upToZ_;
};

// Collinear corners are convex; a corner that turns back on itself is not.
// `worst` is the sine of the sharpest wrong turn (0 when there is none).
bool convex(const WrittenFace& f, double& worst) {
  const size_t n = f.corners.size();
  const double nl = length(f.normal);
  worst = 0;
  if (!(nl > 0)) return false;
  bool ok = true;
  for (size_t i = 0; i < n; ++i) {
    const V3 in = f.corners[i].p - f.corners[(i + n - 1) % n].p;
    const V3 out = f.corners[(i + 1) % n].p - f.corners[i].p;
    const double scale = length(in) * length(out) * nl;
    const double turn = dot(cross(in, out), f.normal);
    if (turn < -1e-6 * scale || (turn <= 1e-6 * scale && dot(in, out) <= 0)) {
      ok = false;
      worst = std::max(worst, scale > 0 ? -turn / scale : 1.0);
    }
  }
  return ok;
}

// Where a point lies in a face: not at all, or with the texture coordinates there.
struct Placement {
  bool inside = false;
  bool hasUv = false;
  double u = 0, v = 0;
  bool hasNormal = false;  // at a corner only
  V3 n;
};

// In the face's plane and inside its outline, within `tol`. Away from its corners
// the coordinates come from the face's own affine mapping, as a reader
// interpolates them.
Placement place(const WrittenFace& f, V3 p, double tol) {
  Placement out;
  const double nl = length(f.normal);
  if (!(nl > 0) || f.corners.size() < 3) return out;
  // The nearest corner: a cone's tip may hold several within the tolerance.
  const WrittenCorner* nearest = nullptr;
  for (const WrittenCorner& c : f.corners)
    if (length(c.p - p) <= tol && (!nearest || length(c.p - p) < length(nearest->p - p)))
      nearest = &c;
  if (nearest)
    return {true, nearest->hasUv, nearest->u, nearest->v, nearest->hasNormal, nearest->n};
  const V3 n = f.normal * (1 / nl);
  if (std::fabs(dot(p - f.corners[0].p, n)) > tol) return out;
  // Inside a convex or concave outline: the point is left of no edge, or on one.
  const size_t count = f.corners.size();
  bool onEdge = false;
  int winding = 0;
  // Two axes of the plane.
  const V3 a = f.corners[1].p - f.corners[0].p;
  const V3 ax = a * (1 / std::max(length(a), 1e-300));
  const V3 ay = cross(n, ax);
  auto flat = [&](V3 q) {
    return std::pair{dot(q - f.corners[0].p, ax), dot(q - f.corners[0].p, ay)};
  };
  const auto [px, py] = flat(p);
  for (size_t i = 0; i < count; ++i) {
    const auto [x0, y0] = flat(f.corners[i].p);
    const auto [x1, y1] = flat(f.corners[(i + 1) % count].p);
    const double ex = x1 - x0, ey = y1 - y0, el = std::hypot(ex, ey);
    const double t = el > 0 ? ((px - x0) * ex + (py - y0) * ey) / (el * el) : 0;
    const double cx = x0 + std::clamp(t, 0.0, 1.0) * ex, cy = y0 + std::clamp(t, 0.0, 1.0) * ey;
    if (std::hypot(px - cx, py - cy) <= tol) onEdge = true;
    if (y0 <= py && y1 > py && ex * (py - y0) - ey * (px - x0) > 0) ++winding;
    if (y0 > py && y1 <= py && ex * (py - y0) - ey * (px - x0) < 0) --winding;
  }
  if (!onEdge && winding == 0) return out;
  out.inside = true;
  // The widest triangle of corners carries the mapping.
  size_t best[3] = {0, 1, 2};
  double bestArea = 0;
  for (size_t j = 1; j + 1 < count; ++j)
    for (size_t k = j + 1; k < count; ++k) {
      const double area =
          length(cross(f.corners[j].p - f.corners[0].p, f.corners[k].p - f.corners[0].p));
      if (area > bestArea) bestArea = area, best[1] = j, best[2] = k;
    }
  const WrittenCorner &c0 = f.corners[best[0]], &c1 = f.corners[best[1]], &c2 = f.corners[best[2]];
  out.hasUv = c0.hasUv && c1.hasUv && c2.hasUv && bestArea > 0;
  if (!out.hasUv) return out;
  const V3 e1 = c1.p - c0.p, e2 = c2.p - c0.p, d = p - c0.p;
  const double d11 = dot(e1, e1), d12 = dot(e1, e2), d22 = dot(e2, e2);
  const double d1 = dot(d, e1), d2 = dot(d, e2), det = d11 * d22 - d12 * d12;
  const double s = (d22 * d1 - d12 * d2) / det, t = (d11 * d2 - d12 * d1) / det;
  out.u = c0.u + s * (c1.u - c0.u) + t * (c2.u - c0.u);
  out.v = c0.v + s * (c1.v - c0.v) + t * (c2.v - c0.v);
  return out;
}

bool near(Rgb a, Rgb b, double tol) {
  return std::fabs(a.r - b.r) <= tol && std::fabs(a.g - b.g) <= tol && std::fabs(a.b - b.b) <= tol;
}

class Matcher {
 public:
  Matcher(const std::vector<WrittenFace>& faces, LookTally& tally, const LookOptions& options)
      : faces_(faces), tally_(tally), options_(options) {
    for (size_t i = 0; i < faces.size(); ++i) byObject_[faces[i].object].push_back(i);
    all_.resize(faces.size());
    for (size_t i = 0; i < faces.size(); ++i) all_[i] = i;
  }

  void check(const SourceTriangle& t, size_t number, double tol) {
    ++tally_.triangles;
    const auto named = byObject_.find(t.node);
    const std::vector<size_t>& candidates = named != byObject_.end() ? named->second : all_;
    V3 low = t.corner[0], high = t.corner[0];
    for (const V3& c : t.corner) {
      low = {std::min(low.x, c.x), std::min(low.y, c.y), std::min(low.z, c.z)};
      high = {std::max(high.x, c.x), std::max(high.y, c.y), std::max(high.z, c.z)};
    }
    const V3 normal = cross(t.corner[1] - t.corner[0], t.corner[2] - t.corner[0]);
    bool found = false, facing = false, color = false, light = false, sides = false, uv = false;
    const WrittenFace* seen = nullptr;
    double uvError = INFINITY;     // the least, over the faces holding it
    double normalCos = -INFINITY;  // the best, likewise
    for (size_t i : candidates) {
      const WrittenFace& f = faces_[i];
      if (f.low.x > low.x + tol || f.low.y > low.y + tol || f.low.z > low.z + tol ||
          f.high.x < high.x - tol || f.high.y < high.y - tol || f.high.z < high.z - tol)
        continue;
      Placement at[3];
      bool inside = true;
      for (int c = 0; c < 3 && inside; ++c) inside = (at[c] = place(f, t.corner[c], tol)).inside;
      if (!inside) continue;
      // A sliver of no area faces nowhere: any face holding it will do.
      const bool sameWay = (dot(normal, f.normal) > 0) != t.mirrored;
      if (!found || (sameWay && !facing)) seen = &f;
      found = true;
      facing |= sameWay;
      color |= t.hasColor && f.hasColor && near(t.color, f.color, kPaletteTolerance);
      light |= f.lightMode == t.lightMode;
      sides |= f.drawType == t.drawType;
      double worst = 0;
      bool uvHere = true;
      for (int c = 0; c < 3; ++c) {
        uvHere = uvHere && at[c].hasUv;
        worst = std::max({worst, std::fabs(at[c].u - t.u[c]), std::fabs(at[c].v - t.v[c])});
      }
      if (uvHere) uvError = std::min(uvError, worst);
      double cosine = 1;
      bool normalHere = true;
      for (int c = 0; c < 3; ++c) {
        normalHere = normalHere && at[c].hasNormal;
        const double l = length(at[c].n);
        cosine = std::min(cosine, l > 0 ? dot(at[c].n, t.n[c]) / l : -1.0);
      }
      if (normalHere) normalCos = std::max(normalCos, cosine);
    }
    uv = uvError <= kUvTolerance;
    tally_.found += found;
    tally_.facing += facing;
    const std::string where = "triangle " + std::to_string(number) + " of node \"" + t.node +
                              "\" " + text(t.corner[0]) + text(t.corner[1]) + text(t.corner[2]);
    if (!found) return miss(where + ": no face holds its corners");
    if (!facing) miss(where + ": its face is wound the other way");
    if (t.hasColor) {
      ++tally_.colorChecked;
      tally_.colorMatched += color;
      if (!color)
        miss(where + ": colour " + (seen->hasColor ? text(seen->color) : "none") + ", material " +
             text(t.color));
    }
    if (t.lightMode >= 0) {
      ++tally_.lightChecked;
      tally_.lightMatched += light;
      if (!light)
        miss(where + ": light mode " + std::to_string(seen->lightMode) + ", expected " +
             std::to_string(t.lightMode));
    }
    ++tally_.sidesChecked;
    tally_.sidesMatched += sides;
    if (!sides)
      miss(where + ": draw type " + std::to_string(seen->drawType) + ", expected " +
           std::to_string(t.drawType));
    // A corner inside a merged polygon has no normal of its own to compare.
    if (t.hasNormals && normalCos > -INFINITY) {
      ++tally_.normalsChecked;
      tally_.normalsMatched += normalCos >= kNormalCosine;
      if (normalCos < kNormalCosine)
        miss(where + ": normals " + text(std::acos(std::clamp(normalCos, -1.0, 1.0)) * 180 / M_PI) +
             " degrees off");
    }
    if (t.hasUv) {
      ++tally_.uvChecked;
      tally_.uvMatched += uv;
      if (!uv)
        miss(where + ": texture coordinates off by " + std::to_string(uvError) + ", first (" +
             std::to_string(t.u[0]) + ", " + std::to_string(t.v[0]) + ")");
    }
  }

 private:
  void miss(const std::string& what) {
    if (tally_.misses.size() < options_.keptMisses) tally_.misses.push_back(what);
  }

  const std::vector<WrittenFace>& faces_;
  LookTally& tally_;
  const LookOptions& options_;
  std::map<std::string, std::vector<size_t>> byObject_;
  std::vector<size_t> all_;
};

}  // namespace

LookTally compareLook(const std::string& scenePath, const std::string& fltPath,
                      const LookOptions& options) {
  LookTally tally;
  Assimp::Importer importer;
  importer.SetPropertyBool(AI_CONFIG_IMPORT_FBX_PRESERVE_PIVOTS, false);
  const aiScene* scene =
      importer.ReadFile(scenePath, aiProcess_Triangulate | aiProcess_SortByPType);
  if (!scene || !scene->mRootNode) {
    tally.error = scenePath + ": " + importer.GetErrorString();
    return tally;
  }
  SourceReader source(*scene, options.upToZ);
  source.walk(*scene->mRootNode, aiMatrix4x4());

  std::vector<WrittenFace> faces;
  if (!readWrittenFaces(fltPath, faces, tally.error)) return tally;
  for (const WrittenFace& f : faces) {
    ++tally.faces;
    if (std::isfinite(length(f.normal))) tally.writtenArea += length(f.normal) / 2;
    tally.litFaces += f.lightMode == 2 || f.lightMode == 3;
    tally.twoSidedFaces += f.drawType == 1;
    if (f.corners.size() > 3) {
      ++tally.polygons;
      double worst = 0;
      if (!convex(f, worst)) {
        ++tally.concave;
        if (tally.misses.size() < options.keptMisses) {
          std::string corners;
          for (const WrittenCorner& c : f.corners) corners += text(c.p);
          tally.misses.push_back("concave face of object \"" + f.object +
                                 "\" (turns back by a sine of " + text(worst) + "): " + corners);
        }
      }
    }
  }
  // Single precision in the host's transforms, double here.
  const double tol = 1e-5 * (source.extent > 0 ? source.extent : 1.0);
  Matcher matcher(faces, tally, options);
  for (size_t i = 0; i < source.triangles.size(); ++i) {
    const SourceTriangle& t = source.triangles[i];
    const double area = length(cross(t.corner[1] - t.corner[0], t.corner[2] - t.corner[0])) / 2;
    const double longest =
        std::max({length(t.corner[1] - t.corner[0]), length(t.corner[2] - t.corner[1]),
                  length(t.corner[0] - t.corner[2])});
    // Nothing to see, and nothing a face could be checked against.
    if (!std::isfinite(area)) {
      ++tally.skipped;
      continue;
    }
    tally.sourceArea += area;
    if (2 * area <= tol * longest) {
      ++tally.skipped;
      continue;
    }
    matcher.check(t, i, tol);
  }
  return tally;
}
