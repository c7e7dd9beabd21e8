#include "plugin/mesh.h"

#include <array>
#include <cassert>

namespace {

const Point3 kNoNormal{};
const RVertex kNoRVertex{};

// Normals around one vertex, merged while faces arrive. Groups stay pairwise
// disjoint, and each holds at least one of the 32 bits, so 32 slots suffice.
class VertexNormals {
 public:
  void add(const Point3& n, uint32_t smGroup) {
    int into = -1;
    for (int i = 0; i < count_;) {
      if ((slots_[i].smGroup & smGroup) == 0) {
        ++i;
        continue;
      }
      if (into < 0) {
        into = i++;
        continue;
      }
      // The new face bridges two groups: they become one.
      slots_[into].normal += slots_[i].normal;
      slots_[into].smGroup |= slots_[i].smGroup;
      slots_[i] = slots_[--count_];  // re-examine the slot moved into i
    }
    if (into < 0) {
      assert(count_ < 32);
      slots_[count_++] = {n, smGroup};
    } else {
      slots_[into].normal += n;
      slots_[into].smGroup |= smGroup;
    }
  }
  void clear() { count_ = 0; }
  int count() const { return count_; }
  RNormal result(int i) const { return {normalize(slots_[i].normal), slots_[i].smGroup}; }

 private:
  std::array<RNormal, 32> slots_;
  int count_ = 0;
};

}  // namespace

void Mesh::buildNormals() {
  const size_t nv = verts.size();
  const size_t nf = faces.size();

  faceNormals_.assign(nf, Point3{});
  for (size_t f = 0; f < nf; ++f) {
    const Face& face = faces[f];
    if (!face.indexesWithin(nv)) continue;
    const Point3& a = verts[face.v[0]];
    faceNormals_[f] = normalize(CrossProd(verts[face.v[1]] - a, verts[face.v[2]] - a));
  }

  // Faces around each vertex as flat arrays (counts, then offsets); only smoothed
  // faces contribute, and a face that names a vertex twice counts once.
  std::vector<uint32_t> start(nv + 1, 0);
  auto forEachCorner = [&](auto&& fn) {
    for (size_t f = 0; f < nf; ++f) {
      const Face& face = faces[f];
      if (face.smGroup == 0 || !face.indexesWithin(nv)) continue;
      for (int c = 0; c < 3; ++c) {
        if ((c >= 1 && face.v[c] == face.v[0]) || (c == 2 && face.v[2] == face.v[1])) continue;
        fn(face.v[c], static_cast<uint32_t>(f));
      }
    }
  };
  forEachCorner([&](uint32_t v, uint32_t) { ++start[v + 1]; });
  for (size_t v = 0; v < nv; ++v) start[v + 1] += start[v];
  std::vector<uint32_t> around(start[nv]);
  std::vector<uint32_t> fill(start.begin(), start.end() - 1);
  forEachCorner([&](uint32_t v, uint32_t f) { around[fill[v]++] = f; });

  rVerts_.resize(nv);
  ern_.clear();
  VertexNormals normals;
  for (size_t v = 0; v < nv; ++v) {
    RVertex& rv = rVerts_[v];
    if (rv.specified()) continue;
    normals.clear();
    for (uint32_t i = start[v]; i < start[v + 1]; ++i) {
      const uint32_t f = around[i];
      normals.add(faceNormals_[f], faces[f].smGroup);
    }
    rv = RVertex{};
    rv.rFlags = static_cast<uint32_t>(normals.count());
    if (normals.count() >= 1) rv.rn = normals.result(0);
    if (normals.count() > 1) {
      rv.ernFirst = static_cast<uint32_t>(ern_.size());
      for (int k = 0; k < normals.count(); ++k) ern_.push_back(normals.result(k));
    }
  }
  normalsBuilt_ = true;
}

void Mesh::checkNormals(bool /*illum*/) {
  if (!normalsBuilt_ || faceNormals_.size() != faces.size() || rVerts_.size() != verts.size())
    buildNormals();
}

const Point3& Mesh::getFaceNormal(int f) const {
  if (f < 0 || static_cast<size_t>(f) >= faceNormals_.size()) return kNoNormal;
  return faceNormals_[f];
}

const RVertex& Mesh::getRVert(int v) const {
  if (v < 0 || static_cast<size_t>(v) >= rVerts_.size()) return kNoRVertex;
  return rVerts_[v];
}

const RNormal& Mesh::getRNormal(int v, int k) const {
  const RVertex& rv = getRVert(v);
  if (rv.specified() || rv.normalCount() <= 1 || k <= 0 || k >= rv.normalCount()) return rv.rn;
  return ern_[rv.ernFirst + k];
}

void Mesh::setSpecifiedNormal(int v, const Point3& n) {
  if (v < 0 || static_cast<size_t>(v) >= verts.size()) return;
  if (rVerts_.size() < verts.size()) rVerts_.resize(verts.size());
  RVertex& rv = rVerts_[v];
  rv = RVertex{};
  rv.rFlags = RVertex::kSpecifiedNormal | 1;
  rv.rn = {n, 0};
  // Face normals may not be computed yet; buildNormals keeps this one.
  normalsBuilt_ = false;
}
