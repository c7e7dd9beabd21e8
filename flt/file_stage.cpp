#include "flt/file_stage.h"

StagedFile* FileStage::add(const std::string& path, std::string& why) {
  auto file = std::make_unique<StagedFile>();
  if (!file->open(path)) {
    why = file->reason();
    return nullptr;
  }
  files_.push_back(std::move(file));
  return files_.back().get();
}

bool FileStage::holds(const std::string& path) const {
  for (const auto& f : files_)
    if (f->target() == path) return true;
  return false;
}

std::vector<std::string> FileStage::commit() {
  std::vector<std::string> errors;
  for (const auto& f : files_)
    if (f->isOpen() && !f->commit()) errors.push_back(f->error());
  files_.clear();
  return errors;
}
