#pragma once
// The materials of an OBJ file, read from its .mtl files by tinyobjloader and given
// as Assimp's OBJ importer gives them: its default material first, then those of
// the libraries in their order, then, for each name no library defines, one with
// the default's values under that name.

#include <tiny_obj_loader.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

struct ObjText;
struct aiMaterial;

// Reads every library of the file at the one `mtllib` line ObjText leaves, and maps
// the numbered `usemtl` names to materials. A library that is not there is looked
// for as the OBJ file's name with ".mtl", as Assimp does.
class ObjMaterialLibrary : public tinyobj::MaterialReader {
 public:
  ObjMaterialLibrary(const std::filesystem::path& objPath, const ObjText& text);

  bool operator()(const std::string& name, std::vector<tinyobj::material_t>* materials,
                  std::map<std::string, int>* numbers, std::string* warning,
                  std::string* error) override;

  // The library files read.
  const std::vector<std::string>& opened() const { return opened_; }

 private:
  std::filesystem::path folder_;
  std::filesystem::path fallback_;
  const ObjText& text_;
  std::vector<std::string> opened_;
};

// Assimp's default material of an OBJ file.
tinyobj::material_t objDefaultMaterial();

// The material with the properties Assimp's OBJ importer sets.
aiMaterial* toAssimpMaterial(const tinyobj::material_t& from);
