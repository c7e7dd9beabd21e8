#include "host/scene_loader.h"

#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <assimp/version.h>
#include <assimp/Importer.hpp>
#include <assimp/ProgressHandler.hpp>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "host/assimp_scene_check.h"
#include "host/gltf_reader.h"
#include "host/obj_reader.h"
#include "host/reader_files.h"
#include "host/scene_builder.h"

namespace fs = std::filesystem;

namespace {

constexpr unsigned kImportFlags = aiProcess_Triangulate | aiProcess_SortByPType;

SceneLoadResult failure(const std::string& path, const std::string& why) {
  SceneLoadResult result;
  result.error = "Error loading " + path + ": " + why;
  return result;
}

// Why the file cannot be read, or empty. Assimp reads a folder as an empty scene,
// so that is ruled out here.
std::string unreadableReason(const std::string& path) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (ec || !fs::exists(status)) return "no such file";
  if (fs::is_directory(status)) return "it is a folder, not a file";
  if (!fs::is_regular_file(status)) return "not a regular file";
  std::ifstream probe(path, std::ios::binary);
  if (!probe) return std::string("cannot open it: ") + std::strerror(errno);
  return {};
}

int metadataInt(const aiMetadata* metadata, const char* key, int fallback) {
  if (!metadata) return fallback;
  int32_t value = 0;
  return metadata->Get(key, value) ? value : fallback;
}

// Turns the up axis (0 X, 1 Y, 2 Z) with its sign into +Z, with exact entries.
Matrix3 upAxisToZ(int axis, int sign) {
  const float s = sign < 0 ? -1.0f : 1.0f;
  switch (axis) {
    case 0:  // X up: +X becomes +Z
      return Matrix3({0, 0, s}, {0, 1, 0}, {-s, 0, 0}, {});
    case 2:
      return s > 0 ? Matrix3() : Matrix3({1, 0, 0}, {0, -1, 0}, {0, 0, -1}, {});
    default:  // Y up: +90 degrees about X
      return Matrix3({1, 0, 0}, {0, 0, s}, {0, -s, 0}, {});
  }
}

Matrix3 upToZ(UpAxis option, const aiScene& scene, SceneFormat format) {
  if (option == UpAxis::kZ) return Matrix3();
  if (option == UpAxis::kY || format != SceneFormat::kFbx) return upAxisToZ(1, 1);
  return upAxisToZ(metadataInt(scene.mMetaData, "UpAxis", 1),
                   metadataInt(scene.mMetaData, "UpAxisSign", 1));
}

// Binary FBX files open with this; text ones with a comment.
bool isBinaryFbx(const std::string& path) {
  static const char kMagic[] = "Kaydara FBX Binary";
  char head[sizeof kMagic - 1] = {};
  std::ifstream in(path, std::ios::binary);
  return in.read(head, sizeof head) && std::memcmp(head, kMagic, sizeof head) == 0;
}

UserPropertyStyle userPropertyStyle(SceneFormat format, const std::string& path) {
  if (format == SceneFormat::kGltf1 || format == SceneFormat::kGltf2)
    return UserPropertyStyle::kGltfExtras;
  if (format == SceneFormat::kFbx && !isBinaryFbx(path)) return UserPropertyStyle::kFbxText;
  return UserPropertyStyle::kFbx;
}

// A scene file that names nothing at all (Assimp's OBJ reader takes any text).
bool isEmpty(const aiScene& scene, SceneFormat format) {
  const aiNode& root = *scene.mRootNode;
  return rootIsMadeUp(scene, format) && root.mNumChildren == 0 && root.mNumMeshes == 0 &&
         scene.mNumCameras == 0 && scene.mNumLights == 0;
}

// Assimp's reports while it reads and post-processes, as one percentage.
class ReaderProgress : public Assimp::ProgressHandler {
 public:
  explicit ReaderProgress(std::function<void(int)> report) : report_(std::move(report)) {}
  bool Update(float done) override {
    if (done >= 0) report_(int(std::min(done, 1.0f) * 100));
    return true;
  }

 private:
  std::function<void(int)> report_;
};

// The host scene of a scene read by either reader; `opened` are the files the
// reader opened, which no embedded image may replace.
SceneLoadResult hostScene(const aiScene& scene, const std::string& path,
                          const SceneLoadOptions& options, std::vector<std::string> opened) {
  if (!scene.mRootNode) return failure(path, "the file holds no scene");
  const SceneFormat format = detectSceneFormat(scene, path);
  if (isEmpty(scene, format)) return failure(path, "the file holds no nodes, meshes or lights");

  SceneBuildSettings settings;
  settings.format = format;
  settings.userProperties = userPropertyStyle(format, path);
  settings.upToZ = upToZ(options.upAxis, scene, format);
  const fs::path folder = fs::path(path).parent_path();
  settings.sceneFolder = folder.empty() ? fs::path(".") : folder;
  settings.imageFolder =
      options.outputDirectory.empty() ? fs::path(".") : fs::path(options.outputDirectory);
  settings.sceneStem = fs::path(path).stem().string();
  settings.sourceLook = options.sourceLook;
  settings.keepFiles = std::move(opened);
  settings.keepFiles.push_back(path);
  if (!options.outputFile.empty()) settings.keepFiles.push_back(options.outputFile);

  SceneLoadResult result;
  result.scene = buildScene(scene, settings, result.warnings);
  return result;
}

SceneLoadResult loadWithAssimp(const std::string& path, const SceneLoadOptions& options) {
  Assimp::Importer importer;
  auto* files = new RecordingIOSystem;  // the importer owns it
  importer.SetIOHandler(files);
  importer.SetPropertyBool(AI_CONFIG_IMPORT_FBX_PRESERVE_PIVOTS, false);
  if (options.progress) importer.SetProgressHandler(new ReaderProgress(options.progress));
  // Read first, check, then post-process: the steps crash on damaged data.
  const aiScene* scene = importer.ReadFile(path, 0);
  if (scene) {
    if (const std::string why = checkAssimpScene(*const_cast<aiScene*>(scene)); !why.empty())
      return failure(path, why);
    scene = importer.ApplyPostProcessing(kImportFlags);
  }
  if (!scene) {
    const char* why = importer.GetErrorString();
    return failure(path, why && *why ? why : "not a scene file Assimp can read");
  }
  return hostScene(*scene, path, options, files->opened());
}

// Our glTF reader; what it leaves to Assimp goes there.
SceneLoadResult loadWithTinyGltf(const std::string& path, const SceneLoadOptions& options) {
  GltfReadResult read = readGltf(path);
  if (!read.assimp.empty()) return loadWithAssimp(path, options);
  if (!read.scene) return failure(path, read.refusal);
  if (options.progress) options.progress(100);
  SceneLoadResult result = hostScene(*read.scene, path, options, std::move(read.opened));
  result.warnings.insert(result.warnings.begin(), read.warnings.begin(), read.warnings.end());
  return result;
}

bool isObjPath(const std::string& path) {
  std::string ext = fs::path(path).extension().string();
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".obj";
}

// Assimp's OBJ reader looks each object's name up among all read before it, which
// makes a file of many objects slow to read; tinyobjloader does not.
SceneLoadResult loadWithTinyObj(const std::string& path, const SceneLoadOptions& options) {
  if (options.progress) options.progress(0);
  ObjReadResult read = readObj(path);
  if (read.needsAssimp) return loadWithAssimp(path, options);
  if (!read.scene) return failure(path, read.error);
  if (options.progress) options.progress(100);
  return hostScene(*read.scene, path, options, std::move(read.opened));
}

}  // namespace

SceneLoadResult loadScene(const std::string& path, const SceneLoadOptions& options) {
  if (const std::string why = unreadableReason(path); !why.empty()) return failure(path, why);
  try {
    if (options.reader == SceneReader::kAuto && isGltfPath(path))
      return loadWithTinyGltf(path, options);
    if (options.reader == SceneReader::kAuto && isObjPath(path))
      return loadWithTinyObj(path, options);
    return loadWithAssimp(path, options);
  } catch (const std::exception& e) {
    return failure(path, e.what());
  } catch (...) {
    return failure(path, "the importer failed");
  }
}

std::vector<std::string> inputExtensions() {
  std::string list;  // "*.3ds;*.obj;..."
  Assimp::Importer().GetExtensionList(list);
  std::vector<std::string> extensions;
  for (size_t at = 0; at < list.size();) {
    size_t end = list.find(';', at);
    if (end == std::string::npos) end = list.size();
    std::string e = list.substr(at, end - at);
    if (e.rfind("*", 0) == 0) e.erase(0, 1);
    for (char& c : e) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (!e.empty()) extensions.push_back(e);
    at = end + 1;
  }
  std::sort(extensions.begin(), extensions.end());
  extensions.erase(std::unique(extensions.begin(), extensions.end()), extensions.end());
  return extensions;
}

std::string assimpVersion() {
  return std::to_string(aiGetVersionMajor()) + "." + std::to_string(aiGetVersionMinor()) + "." +
         std::to_string(aiGetVersionPatch());
}
