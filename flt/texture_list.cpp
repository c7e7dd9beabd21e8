#include "flt/texture_list.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "flt/file_handle.h"
#include "flt/output_file.h"

int32_t FltTextureList::findTexture(const std::string& path) const {
  auto it = byKey_.find(path);
  return it == byKey_.end() ? -1 : entries_[it->second]->patternIndex;
}

int32_t FltTextureList::addTexture(const FltTexture& t) {
  auto found = byKey_.find(t.key());
  if (found != byKey_.end()) return entries_[found->second]->patternIndex;
  size_t n = entries_.size();
  entries_.push_back(std::make_unique<FltTexture>(t));
  FltTexture& copy = *entries_.back();
  if (copy.patternIndex == -1) layout_.place(copy);
  byKey_.emplace(copy.key(), n);
  byPattern_.emplace(copy.patternIndex, n);
  const std::string& key = copy.key();
  size_t cut = key.find_last_of("/\\");
  if (cut != std::string::npos) directories_.add(key.substr(0, cut).c_str());
  return copy.patternIndex;
}

void FltTextureList::clear() {
  // Pages point at entries: drop them first.
  layout_.clear();
  entries_.clear();
  byKey_.clear();
  byPattern_.clear();
  directories_.readEnvironment();
}

int FltTextureList::write(FltOutputFile& file) const {
  for (const auto& e : entries_) {
    if (e->patternIndex > kMaxPatternIndex) {
      file.fail("cannot write " + file.path() + ": texture " + e->key() + " needs pattern index " +
                std::to_string(e->patternIndex) + ", past the largest a face can refer to (" +
                std::to_string(kMaxPatternIndex) + "); the scene uses too many textures");
      return 0;
    }
  }
  for (const auto& e : entries_) {
    if (!file.write(*e)) return 0;
  }
  return 1;
}

namespace {

// The attribute file's bytes, made in memory so that an existing file can be
// compared with them before anything is replaced.
bool attributeBytes(const FltTextureAttr& attributes, std::string& out) {
  char* data = nullptr;
  size_t size = 0;
  FileHandle f(open_memstream(&data, &size));
  if (!f) return false;
  bool ok = attributes.write(f.get());
  ok = f.close() && ok;
  if (ok) out.assign(data, size);
  std::free(data);
  return ok;
}

// 1 when the file holds exactly `bytes`, 0 when it holds anything else, -1 when
// there is no such file.
int holdsExactly(const std::string& name, const std::string& bytes) {
  FileHandle f = FileHandle::open(name.c_str(), "rb");
  if (!f) return errno == ENOENT ? -1 : 0;
  std::string have(bytes.size() + 1, '\0');
  size_t n = std::fread(&have[0], 1, have.size(), f.get());
  return n == bytes.size() && have.compare(0, n, bytes) == 0 ? 1 : 0;
}

}  // namespace

int FltTextureList::writeAttributeFiles(FileStage& stage, const WarningSink& warn) const {
  int written = 0;
  std::string skipped;
  for (const auto& e : entries_) {
    if (e->attributeFile == AttributeFilePolicy::kNone) {
      skipped += (skipped.empty() ? "" : ", ") + e->key();
      continue;
    }
    if (e->key().empty()) {
      // Would land as ".attr" in the working directory, beside no image.
      if (warn)
        warn("no texture attribute file for pattern " + std::to_string(e->patternIndex) +
             ": the texture has no path");
      continue;
    }
    std::string name = e->key() + ".attr";
    std::string bytes;
    if (!attributeBytes(e->attributes, bytes)) {
      if (warn) warn("cannot write texture attribute file " + name + ": " + std::strerror(errno));
      continue;
    }
    if (e->attributeFile == AttributeFilePolicy::kKeepOthers) {
      const int held = holdsExactly(name, bytes);
      if (held == 1) {
        ++written;
        continue;
      }
      if (held == 0) {
        if (warn)
          warn("kept texture attribute file " + name +
               ": it holds something else, and its image is not one this export placed");
        continue;
      }
    }
    std::string why;
    StagedFile* f = stage.add(name, why);
    if (!f) {
      if (warn) warn("cannot write texture attribute file " + name + ": " + why);
      continue;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), f->stream()) != bytes.size()) {
      if (warn) warn("cannot write texture attribute file " + name + ": " + std::strerror(errno));
      f->discard();
      continue;
    }
    ++written;
  }
  if (!skipped.empty() && warn)
    warn("no texture attribute files beside " + skipped +
         ": outside the output folder, or not readable as images (copying the textures "
         "beside the output gives them theirs)");
  return written;
}
