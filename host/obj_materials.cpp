#include "host/obj_materials.h"

#include <assimp/material.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "host/obj_text.h"

namespace fs = std::filesystem;

namespace {

// What Assimp gives a material for the lines it leaves out, where tinyobjloader's
// defaults differ; read before the material's own lines, which then win.
constexpr const char* kAssimpDefaults = "Kd 0.6 0.6 0.6\nNs 0\nillum 1\nTf 1 1 1\n";

std::string trimmed(const std::string& s, size_t from) {
  const size_t begin = s.find_first_not_of(" \t\r", from);
  if (begin == std::string::npos) return {};
  return s.substr(begin, s.find_last_not_of(" \t\r") + 1 - begin);
}

// The library with the defaults after every `newmtl`, whose name loses the blanks
// around it as Assimp trims it.
std::string withAssimpDefaults(const std::string& library) {
  std::string out;
  out.reserve(library.size() + 256);
  std::istringstream in(library);
  for (std::string line; std::getline(in, line);) {
    const size_t at = line.find_first_not_of(" \t");
    if (at != std::string::npos && line.compare(at, 6, "newmtl") == 0 && line.size() > at + 6 &&
        (line[at + 6] == ' ' || line[at + 6] == '\t')) {
      out += "newmtl " + trimmed(line, at + 6) + "\n" + kAssimpDefaults;
    } else {
      out += line;
      out += '\n';
    }
  }
  return out;
}

fs::path libraryPath(const std::string& name, const fs::path& folder) {
  std::string p = name;
  std::replace(p.begin(), p.end(), '\\', '/');
  const fs::path path(p);
  return (path.is_absolute() ? path : folder / path).lexically_normal();
}

void loadText(const std::string& text, std::map<std::string, int>* byName,
              std::vector<tinyobj::material_t>* materials, std::string* warning,
              std::string* error) {
  std::istringstream in(withAssimpDefaults(text));
  tinyobj::LoadMtl(byName, materials, &in, warning, error);
}

void addColor(aiMaterial& m, const float* rgb, const char* key, unsigned type, unsigned index) {
  const aiColor3D c(rgb[0], rgb[1], rgb[2]);
  m.AddProperty(&c, 1, key, type, index);
}

void addTexture(aiMaterial& m, const std::string& file, const tinyobj::texture_option_t& option,
                aiTextureType type) {
  if (file.empty()) return;
  const aiString name(file);
  m.AddProperty(&name, AI_MATKEY_TEXTURE(type, 0));
  const int channel = 0;
  m.AddProperty(&channel, 1, AI_MATKEY_UVWSRC(type, 0));
  if (option.clamp) {
    const int clamp = aiTextureMapMode_Clamp;
    m.AddProperty(&clamp, 1, AI_MATKEY_MAPPINGMODE_U(type, 0));
    m.AddProperty(&clamp, 1, AI_MATKEY_MAPPINGMODE_V(type, 0));
  }
}

}  // namespace

ObjMaterialLibrary::ObjMaterialLibrary(const fs::path& objPath, const ObjText& text)
    : folder_(objPath.parent_path()),
      fallback_(fs::path(objPath).replace_extension(".mtl").lexically_normal()),
      text_(text) {}

bool ObjMaterialLibrary::operator()(const std::string& name,
                                    std::vector<tinyobj::material_t>* materials,
                                    std::map<std::string, int>* numbers, std::string* warning,
                                    std::string* error) {
  if (name != kAllLibraries) return false;
  std::map<std::string, int> byName;
  for (const std::string& library : text_.libraries) {
    fs::path path = libraryPath(library, folder_);
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      *warning += "material library " + library + " not found\n";
      path = fallback_;
      if (std::find(opened_.begin(), opened_.end(), path.string()) != opened_.end()) continue;
      in.open(path, std::ios::binary);
      if (!in) continue;
    }
    opened_.push_back(path.string());
    loadText(std::string(std::istreambuf_iterator<char>(in), {}), &byName, materials, warning,
             error);
  }
  for (size_t k = 0; k < text_.materialNames.size(); ++k) {
    const std::string& used = text_.materialNames[k];
    auto found = byName.find(used);
    if (found == byName.end()) {
      tinyobj::material_t m = objDefaultMaterial();
      m.name = used;
      found = byName.emplace(used, int(materials->size())).first;
      materials->push_back(std::move(m));
    }
    (*numbers)[std::to_string(k)] = found->second;
  }
  return true;
}

tinyobj::material_t objDefaultMaterial() {
  std::map<std::string, int> byName;
  std::vector<tinyobj::material_t> one;
  std::string warning, error;
  loadText("newmtl " AI_DEFAULT_MATERIAL_NAME "\n", &byName, &one, &warning, &error);
  return one.at(0);
}

aiMaterial* toAssimpMaterial(const tinyobj::material_t& from) {
  auto* m = new aiMaterial;
  const aiString name(from.name);
  m->AddProperty(&name, AI_MATKEY_NAME);
  int shading = aiShadingMode_Gouraud;
  if (from.illum == 0) shading = aiShadingMode_NoShading;
  if (from.illum == 2) shading = aiShadingMode_Phong;
  m->AddProperty(&shading, 1, AI_MATKEY_SHADING_MODEL);
  m->AddProperty(&from.illum, 1, "$mat.illum", 0, 0);
  addColor(*m, from.ambient, AI_MATKEY_COLOR_AMBIENT);
  addColor(*m, from.diffuse, AI_MATKEY_COLOR_DIFFUSE);
  addColor(*m, from.specular, AI_MATKEY_COLOR_SPECULAR);
  addColor(*m, from.emission, AI_MATKEY_COLOR_EMISSIVE);
  m->AddProperty(&from.shininess, 1, AI_MATKEY_SHININESS);
  m->AddProperty(&from.dissolve, 1, AI_MATKEY_OPACITY);
  addColor(*m, from.transmittance, AI_MATKEY_COLOR_TRANSPARENT);
  const float anisotropy = 0;
  m->AddProperty(&anisotropy, 1, AI_MATKEY_ANISOTROPY_FACTOR);
  m->AddProperty(&from.ior, 1, AI_MATKEY_REFRACTI);

  addTexture(*m, from.diffuse_texname, from.diffuse_texopt, aiTextureType_DIFFUSE);
  addTexture(*m, from.ambient_texname, from.ambient_texopt, aiTextureType_AMBIENT);
  addTexture(*m, from.emissive_texname, from.emissive_texopt, aiTextureType_EMISSIVE);
  addTexture(*m, from.specular_texname, from.specular_texopt, aiTextureType_SPECULAR);
  addTexture(*m, from.bump_texname, from.bump_texopt, aiTextureType_HEIGHT);
  addTexture(*m, from.normal_texname, from.normal_texopt, aiTextureType_NORMALS);
  addTexture(*m, from.displacement_texname, from.displacement_texopt, aiTextureType_DISPLACEMENT);
  addTexture(*m, from.alpha_texname, from.alpha_texopt, aiTextureType_OPACITY);
  addTexture(*m, from.specular_highlight_texname, from.specular_highlight_texopt,
             aiTextureType_SHININESS);
  addTexture(*m, from.reflection_texname, from.reflection_texopt, aiTextureType_REFLECTION);
  return m;
}
