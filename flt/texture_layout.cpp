#include "flt/texture_layout.h"

#include <cstdio>

#include "flt/texture.h"

void TextureLayout::place(FltTexture& t) {
  for (auto& p : pages_) {
    if (p->tryTexture(t)) {
      dump();
      return;
    }
  }
  auto number = static_cast<int32_t>(pages_.size());
  pages_.push_back(std::make_unique<FltTexturePage>(number, pageWidth, pageHeight));
  // An empty page takes any texture, even one larger than the page.
  static_cast<void>(pages_.back()->tryTexture(t));
}

void TextureLayout::clear() {
  pages_.clear();
  pageWidth = pageHeight = kPageSize;
  // The layout is a diagnostic: a write it lost does not concern the export.
  layoutFile_.reset();
  staged_ = nullptr;
}

void TextureLayout::dump() {
  if (filePath_.empty()) return;
  if (stage_ && !staged_) {
    std::string ignored;
    if (StagedFile* file = stage_->add(filePath_, ignored)) staged_ = file->stream();
  } else if (!stage_ && !layoutFile_) {
    layoutFile_ = FileHandle::open(filePath_.c_str(), "w");
  }
  std::FILE* f = stage_ ? staged_ : layoutFile_.get();
  if (!f) return;
  for (size_t i = 0; i < pages_.size(); ++i) {
    const FltTexturePage& p = *pages_[i];
    std::fprintf(f, "page #%d, x:%d y:%d w:%d h:%d\n", static_cast<int>(i), p.x, p.y, p.width,
                 p.height);
    for (size_t j = 0; j < p.columnCount(); ++j) {
      const FltTextureColumn& c = p.column(j);
      std::fprintf(f, "\tcol #%d x:%d, y:%d w:%d h:%d\n", static_cast<int>(j), c.x, c.y, c.width,
                   c.height);
      for (const FltTexture* t : c.textures) {
        std::fprintf(f, "\t\ttex #%d, x:%d y:%d w:%d h:%d %s\n", t->patternIndex, t->xLocation,
                     t->yLocation, t->width(), t->height(), t->key().c_str());
      }
    }
  }
  std::fputs("\n\n", f);
  // Kept open across dumps; flushing lets the file be read while the export runs.
  std::fflush(f);
}

std::string layoutPathFor(const std::string& outputPath) {
  const size_t slash = outputPath.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = outputPath.rfind('.');
  if (dot == std::string::npos || dot <= nameStart) dot = outputPath.size();
  return outputPath.substr(0, dot) + ".layout.txt";
}
