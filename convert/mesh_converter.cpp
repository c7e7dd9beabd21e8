#include "convert/mesh_converter.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "attributes/face_colors.h"
#include "convert/export_context.h"
#include "convert/material_converter.h"
#include "convert/node_comment.h"
#include "convert/texture_source.h"
#include "flt/object.h"
#include "flt/output_file.h"
#include "flt/vertex.h"
#include "plugin/material.h"
#include "plugin/mesh.h"
#include "plugin/scene_node.h"
#include "plugin/texture_map.h"

void MeshConverter::prepare(const ExportContext& context, MaterialConverter& materials,
                            TextureSource& textures) {
  release();
  context_ = &context;
  file_ = &context.file();
  colors_ = &file_->colors();
  materials_ = &materials;
  textures_ = &textures;
  time_ = context.time();
}

void MeshConverter::release() {
  extractor_.clear();
  holder_.reset();
  node_ = nullptr;
  mesh_ = nullptr;
}

int MeshConverter::convertNode(SceneNode* node) {
  facesWritten_ = 0;
  if (!node || !file_) return 0;
  release();
  beginNode(node);
  // Either path counts the faces it wrote; that count is the answer.
  if (!polygonPath()) static_cast<void>(trianglePath());
  release();
  return facesWritten_;
}

void MeshConverter::beginNode(SceneNode* node) {
  node_ = node;
  const char* name = node->name();
  hasName_ = name != nullptr;
  name_ = name ? name : "";

  faceTemplate_ = FltFace();
  propertiesFound_ = readFaceColors(*node, faceTemplate_, *colors_) != 0;
  useMaterial_ = false;
  node->userPropertyBool("FltUseMaterial", useMaterial_);
  uint32_t wire = node->wireColor();
  wireColor_ = FltPackedColor::fromBytes(wire & 0xFF, (wire >> 8) & 0xFF, (wire >> 16) & 0xFF, 255);

  // Every face repeats the node's comment: strip the keys once.
  std::string text = node->userPropertyText();
  hasComment_ = !text.empty();
  if (hasComment_) {
    stripFltKeys(text);
    comment_.setText(text.c_str());
  }
}

void MeshConverter::setMatrix(const Matrix3& m, bool mirrored) {
  matrix_ = m;
  mirrored_ = mirrored;
  const Point3 r[3] = {m.getRow(0), m.getRow(1), m.getRow(2)};
  axesIdentity_ = r[0] == Point3(1, 0, 0) && r[1] == Point3(0, 1, 0) && r[2] == Point3(0, 0, 1);
  // Rows of the inverse transpose, up to the factor 1/det: the cofactors.
  for (int i = 0; i < 3; ++i) {
    const Point3& a = r[(i + 1) % 3];
    const Point3& b = r[(i + 2) % 3];
    normalRows_[i][0] = double(a.y) * b.z - double(a.z) * b.y;
    normalRows_[i][1] = double(a.z) * b.x - double(a.x) * b.z;
    normalRows_[i][2] = double(a.x) * b.y - double(a.y) * b.x;
  }
  double det = r[0].x * normalRows_[0][0] + r[0].y * normalRows_[0][1] + r[0].z * normalRows_[0][2];
  // Only the sign of 1/det matters once the normal is made unit length.
  if (det < 0.0)
    for (auto& row : normalRows_)
      for (double& v : row) v = -v;
}

Point3 MeshConverter::worldNormal(const Point3& n) const {
  if (axesIdentity_) return n;
  double w[3];
  for (int j = 0; j < 3; ++j)
    w[j] = n.x * normalRows_[0][j] + n.y * normalRows_[1][j] + n.z * normalRows_[2][j];
  double len = std::sqrt(w[0] * w[0] + w[1] * w[1] + w[2] * w[2]);
  // A singular or broken matrix gives no direction: keep the mesh's own.
  if (!(len > 0.0) || !std::isfinite(len)) return n;
  return Point3(float(w[0] / len), float(w[1] / len), float(w[2] / len));
}

bool MeshConverter::polygonPath() {
  if (!extractor_.extract(node_)) return false;
  mesh_ = extractor_.mesh();
  if (!mesh_) return false;
  if (!mesh_->normalsBuilt()) mesh_->checkNormals(true);
  setMatrix(extractor_.objectTransform(), extractor_.mirrored());
  warnNonFinite();

  const int count = extractor_.polygonCount();
  bool pushed = false;
  if (autoObject_ && count >= 2) {
    FltObject object;
    if (name_.size() >= 1 && name_.size() <= 7) object.setId(name_.c_str());
    if (!file_->write(object)) return true;
    if (name_.size() >= 8 && !file_->writeLongId(name_.c_str())) return true;
    if (!file_->writePushLevel()) return true;
    pushed = true;
  }
  // A mirroring transform turns the winding round; reversing keeps faces facing out.
  const PolygonLoops& loops = extractor_.polygons();
  corners_.assign(loops.corners.begin(), loops.corners.end());
  faceStarts_.assign(loops.start.begin(), loops.start.end());
  if (mirrored_)
    for (size_t i = 0; i < loops.count(); ++i)
      std::reverse(corners_.begin() + loops.start[i], corners_.begin() + loops.start[i + 1]);
  writeFaces();
  // A failed pop fails the file, which is sticky; the faces written are counted.
  if (pushed) static_cast<void>(file_->writePopLevel());
  return true;
}

bool MeshConverter::trianglePath() {
  holder_.reset();
  Matrix3 m = node_->objectToWorld(time_);
  setMatrix(m, m.mirrors());
  holder_ = TriObjectHandle(node_->evalWorldState(time_).obj, time_);
  mesh_ = holder_.mesh();
  if (!mesh_) return false;
  if (!mesh_->normalsBuilt()) mesh_->buildNormals();
  warnNonFinite();

  const size_t vertCount = mesh_->verts.size();
  int valid = 0;
  for (const Face& f : mesh_->faces) valid += f.indexesWithin(vertCount);
  const int skipped = mesh_->numFaces() - valid;
  if (skipped > 0)
    context_->warn(nodeName(node_) + ": " + std::to_string(skipped) +
                   " triangles name vertices the mesh does not have and were left out");
  if (valid == 0) return false;
  // A corner is planned as one 32-bit number.
  if (size_t(mesh_->numFaces()) > kMaxTriangles) {
    context_->warn(nodeName(node_) + ": " + std::to_string(mesh_->numFaces()) +
                   " triangles are more than one object can take; the node was left out");
    return false;
  }

  FltObject object;
  if (!file_->write(object)) return false;
  if (hasName_ && !file_->writeLongId(name_.c_str())) return false;
  if (hasComment_ && !file_->write(comment_)) return false;
  if (!file_->writePushLevel()) return false;

  static constexpr uint32_t kForward[3] = {0, 1, 2};
  static constexpr uint32_t kMirrored[3] = {2, 1, 0};
  const uint32_t* order = mirrored_ ? kMirrored : kForward;
  faceStarts_.assign(1, 0);
  corners_.clear();
  for (int f = 0; f < mesh_->numFaces(); ++f) {
    if (!mesh_->faces[f].indexesWithin(vertCount)) continue;
    for (int c = 0; c < 3; ++c) corners_.push_back(uint32_t(f) * 3 + order[c]);
    faceStarts_.push_back(uint32_t(corners_.size()));
  }
  writeFaces();
  static_cast<void>(file_->writePopLevel());  // as above: sticky
  return true;
}

void MeshConverter::resolveUvTransforms() {
  Material* material = node_->material();
  subMaterials_ = material ? std::max(material->numSubMaterials(), 0) : 0;
  // Face sub-materials are 16-bit: no face reaches past the first 65536.
  const size_t slots = subMaterials_ > 0 ? std::min(size_t(subMaterials_), size_t{65536}) : 1;
  uvTransforms_.assign(slots, Matrix3());
  if (mesh_->tVerts.empty()) return;
  uvResolved_.assign(slots, 0);
  for (size_t f = 0; f + 1 < faceStarts_.size(); ++f) {
    const Face& tri = mesh_->faces[corners_[faceStarts_[f]] / 3];
    const size_t slot = subMaterials_ > 0 ? tri.materialId() % subMaterials_ : 0;
    if (uvResolved_[slot]) continue;
    uvResolved_[slot] = 1;
    Material* m = subMaterials_ > 0 ? material->subMaterial(int(slot)) : material;
    if (!m) continue;
    if (TextureMap* map = m->subTexmap(Material::kDiffuseMap))
      uvTransforms_[slot] = map->uvTransform();
  }
}

void MeshConverter::writeFaces() {
  resolveUvTransforms();
  const size_t total = corners_.size();
  const bool parallel = total >= workerCorners_ &&
                        worker_.start(file_->vertices(), total,
                                      [this](size_t k) { return cornerVertex(corners_[k]); });
  // Every way out of the loop hands the palette back before the mesh can go.
  struct Finish {
    PaletteWorker* worker;
    ~Finish() {
      if (worker) worker->finish();
    }
  } finish{parallel ? &worker_ : nullptr};

  for (size_t f = 0; f + 1 < faceStarts_.size(); ++f) {
    const uint32_t first = faceStarts_[f], end = faceStarts_[f + 1];
    if (first == end) continue;
    // The face takes its colour and material from the polygon's first corner,
    // which mirroring moved to the end.
    FltFace face = faceTemplate_;
    fillFace(int(corners_[mirrored_ ? end - 1 : first] / 3), face);
    if (!writeFaceHead(face)) return;
    bool ok = true;
    for (uint32_t k = first; k < end && ok; ++k)
      ok = parallel ? file_->addPaletteVertex(worker_.offset(k))
                    : file_->addVertex(cornerVertex(corners_[k]));
    if (!(file_->writePopLevel() && ok)) return;
  }
}

void MeshConverter::warnNonFinite() const {
  size_t count = 0;
  for (const Point3& v : mesh_->verts) {
    const Point3 world = v * matrix_;
    count += !(std::isfinite(world.x) && std::isfinite(world.y) && std::isfinite(world.z));
  }
  if (count == 0) return;
  context_->warn(nodeName(node_) + ": " + std::to_string(count) +
                 (count == 1 ? " vertex has" : " vertices have") +
                 " coordinates that are no finite number (NaN or infinite), written as they are");
}

void MeshConverter::fillFace(int triangle, FltFace& face) {
  const Face& tri = mesh_->faces[triangle];
  Material* material = node_->material();
  if (material) {
    int n = material->numSubMaterials();
    if (n > 0) material = material->subMaterial(tri.materialId() % n);
  }
  if (material) {
    if (TextureMap* map = material->subTexmap(Material::kDiffuseMap)) {
      int index = textures_->textureIndexOf(map);
      face.texturePattern = static_cast<int16_t>(index);
      if (index == -1) face.materialIndex = -1;
    }
    Color c = material->baseColor();
    face.setColor(*colors_, FltPackedColor::fromFloats(c.r, c.g, c.b));
  }
  if (useMaterial_)
    face.materialIndex = static_cast<int16_t>(materials_->materialIndexOf(material));
  if (!propertiesFound_ && face.materialIndex == -1) face.setColor(*colors_, wireColor_);
}

bool MeshConverter::writeFaceHead(FltFace& face) {
  if (!file_->write(face)) return false;
  // Kept between faces: one string per face was a heap allocation per face.
  char number[16];
  char* end = std::to_chars(number, number + sizeof number, facesWritten_).ptr;
  longId_.assign(name_).append("_f").append(number, static_cast<size_t>(end - number));
  if (!file_->writeLongId(longId_.c_str())) return false;
  ++facesWritten_;
  if (hasComment_ && !file_->write(comment_)) return false;
  return file_->writePushLevel() != 0;
}

FltVertex MeshConverter::cornerVertex(uint32_t reference) const {
  const uint32_t triangle = reference / 3, corner = reference % 3;
  const Face& tri = mesh_->faces[triangle];
  const uint32_t p = tri.v[corner];
  FltVertex v;
  // NaN and infinite positions are written as they are: the palette orders them.
  const Point3 world = mesh_->verts[p] * matrix_;
  v.x = world.x;
  v.y = world.y;
  v.z = world.z;

  const RVertex& rv = mesh_->getRVert(static_cast<int>(p));
  const Point3* normal = nullptr;
  if (rv.specified()) {
    normal = &rv.rn.normal;
  } else {
    const int k = rv.normalCount();
    if (k == 1 && tri.smGroup != 0) {
      normal = &rv.rn.normal;
    } else if (k > 1 && tri.smGroup != 0) {
      for (int i = 0; i < k && !normal; ++i) {
        const RNormal& rn = mesh_->getRNormal(static_cast<int>(p), i);
        if (rn.smGroup == tri.smGroup) normal = &rn.normal;
      }
      // The host keeps merged groups as their union, which no single group equals.
      for (int i = 0; i < k && !normal; ++i) {
        const RNormal& rn = mesh_->getRNormal(static_cast<int>(p), i);
        if ((rn.smGroup & tri.smGroup) != 0) normal = &rn.normal;
      }
    }
  }
  if (normal) {
    Point3 n = worldNormal(*normal);
    v.setNormal(n.x, n.y, n.z);
  }

  if (p < mesh_->vertCols.size()) {
    const Point3& c = mesh_->vertCols[p];
    v.setColor(c.x, c.y, c.z);
  }
  if (!mesh_->tVerts.empty() && triangle < mesh_->tvFaces.size()) {
    const uint32_t t = mesh_->tvFaces[triangle].t[corner];
    if (t < mesh_->tVerts.size()) {
      const size_t slot = subMaterials_ > 0 ? tri.materialId() % subMaterials_ : 0;
      const Point3 uv = mesh_->tVerts[t] * uvTransforms_[slot];
      v.setTexCoord(uv.x, uv.y);
    }
  }
  return v;
}
