#pragma once
// A node's mesh as face records: merged coplanar polygons where the extractor
// manages, the host's triangles otherwise; vertices in world coordinates.

#include <cstdint>
#include <string>
#include <vector>

#include "convert/palette_worker.h"
#include "convert/polygon_extractor.h"
#include "flt/face.h"
#include "flt/text_record.h"
#include "plugin/host_types.h"
#include "plugin/tri_object.h"

class ExportContext;
class FltColorPalette;
class FltOutputFile;
class MaterialConverter;
class Mesh;
class SceneNode;
class TextureSource;
struct Face;

class MeshConverter {
 public:
  MeshConverter() = default;
  MeshConverter(const MeshConverter&) = delete;
  MeshConverter& operator=(const MeshConverter&) = delete;

  void prepare(const ExportContext& context, MaterialConverter& materials, TextureSource& textures);
  // With Auto Object on, a node of two or more polygons gets an object record
  // around its faces.
  void setAutoObject(bool on) { autoObject_ = on; }
  // Writes the node's faces; returns the number of faces written (0 when the node
  // has no mesh or no usable triangle: nothing is written then).
  [[nodiscard]] int convertNode(SceneNode* node);
  void release();
  // On a machine of several cores, nodes of at least this many corners find their
  // vertices on a second thread while the records are written. Tests set it, 0
  // for the worker on any machine, SIZE_MAX for none.
  static constexpr size_t kWorkerCorners = 8192;
  void setWorkerCorners(size_t corners) { workerCorners_ = corners; }
  static constexpr size_t kMaxTriangles = UINT32_MAX / 3;

 private:
  [[nodiscard]] bool polygonPath();
  [[nodiscard]] bool trianglePath();
  // What every face of the node shares: properties, colors, comment, wire color.
  void beginNode(SceneNode* node);
  void setMatrix(const Matrix3& m, bool mirrored);
  // A reader draws nothing sensible of NaN or infinite positions (a float overflowed
  // by the source's doubles among them): one warning per node says how many.
  void warnNonFinite() const;
  void fillFace(int triangle, FltFace& face);
  // Face record, long ID, comment and push level.
  [[nodiscard]] bool writeFaceHead(FltFace& face);
  // The texture transform of every sub-material the faces use, read from the
  // host before the vertices are made, since they may be made on another thread.
  void resolveUvTransforms();
  // Writes the faces planned in faceStarts_ and corners_, each with its vertices.
  void writeFaces();
  // Reads the mesh and what resolveUvTransforms found, nothing else.
  FltVertex cornerVertex(uint32_t reference) const;
  Point3 worldNormal(const Point3& n) const;

  FltOutputFile* file_ = nullptr;
  FltColorPalette* colors_ = nullptr;
  MaterialConverter* materials_ = nullptr;
  TextureSource* textures_ = nullptr;
  TimeValue time_ = 0;
  bool autoObject_ = true;
  const ExportContext* context_ = nullptr;

  PolygonExtractor extractor_;
  TriObjectHandle holder_;
  SceneNode* node_ = nullptr;
  Mesh* mesh_ = nullptr;
  Matrix3 matrix_;
  bool mirrored_ = false;
  // Normals go to world space through the inverse transpose of the axes.
  bool axesIdentity_ = true;
  double normalRows_[3][3] = {};
  int facesWritten_ = 0;

  // The faces to write: each a run of corner references (triangle * 3 + corner)
  // in writing order. Kept between nodes for their room.
  std::vector<uint32_t> faceStarts_;  // one more than there are faces
  std::vector<uint32_t> corners_;
  int subMaterials_ = 0;
  std::vector<Matrix3> uvTransforms_;  // by sub-material; one when there are none
  std::vector<uint8_t> uvResolved_;
  PaletteWorker worker_;
  size_t workerCorners_ = PaletteWorker::worthwhile() ? kWorkerCorners : SIZE_MAX;

  std::string name_;
  std::string longId_;  // the face being written's long ID
  bool hasName_ = false;
  FltFace faceTemplate_;
  bool propertiesFound_ = false;
  bool useMaterial_ = false;
  FltPackedColor wireColor_;
  bool hasComment_ = false;
  FltComment comment_;
};
