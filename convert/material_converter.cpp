#include "convert/material_converter.h"

#include <string>

#include "convert/export_context.h"
#include "flt/material.h"
#include "flt/material_palette.h"
#include "flt/output_file.h"
#include "plugin/material.h"

namespace {

void store(const Color& c, float out[3]) {
  out[0] = c.r;
  out[1] = c.g;
  out[2] = c.b;
}

}  // namespace

void MaterialConverter::prepare(const ExportContext& context) {
  file_ = &context.file();
  time_ = context.time();
  byMaterial_.clear();
}

bool MaterialConverter::toFltMaterial(Material* material, TimeValue t, FltMaterial& out) {
  StandardMaterial* m = standardMaterialOf(material);
  if (!m) return false;
  out = FltMaterial();
  // The 12th byte of the name field stays zero.
  const char* name = m->name();
  out.setName(std::string(name ? name : "").substr(0, FltMaterial::kNameLength - 1).c_str());
  store(m->ambient(t), out.ambient);
  store(m->diffuse(t), out.diffuse);
  Color specular = m->specular(t);
  float strength = m->shininessStrength(t);
  out.specular[0] = specular.r * strength;
  out.specular[1] = specular.g * strength;
  out.specular[2] = specular.b * strength;
  float self = m->selfIllumination(t);
  out.emissive[0] = out.emissive[1] = out.emissive[2] = self;
  out.shininess = m->shininess(t) * 128.0f;
  out.alpha = m->opacity(t);
  return true;
}

int MaterialConverter::materialIndexOf(Material* material) {
  if (!material || !file_) return -1;
  auto memo = byMaterial_.find(material);
  if (memo != byMaterial_.end()) return memo->second;
  FltMaterial m;
  int index = toFltMaterial(material, time_, m) ? file_->materials().addMaterial(m) : -1;
  byMaterial_.emplace(material, index);
  return index;
}
