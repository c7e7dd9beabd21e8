#pragma once
// The one object through which an export writes its file. Hierarchy records stream
// into a temporary body while the scene is walked; at close the header and the
// palettes go to the real file and the kernel copies the body behind them.
//
// The real file, and every file the export writes beside it (its stage: texture
// copies, attribute files, the layout), stay unnamed until a successful close puts
// them in place, so a failed export never leaves a half-written file at the path
// nor touches the file that was there; a killed one leaves nothing at all.

#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "flt/color_palette.h"
#include "flt/file_handle.h"
#include "flt/file_stage.h"
#include "flt/header.h"
#include "flt/material_palette.h"
#include "flt/record.h"
#include "flt/record_base.h"
#include "flt/revision.h"
#include "flt/staged_file.h"
#include "flt/texture_list.h"
#include "flt/vertex_list.h"
#include "flt/vertex_palette.h"
#include "flt/warning_sink.h"
#include "flt/write_buffer.h"

class FltColorPalette;
class FltMaterialPalette;
class FltTextureList;
class FltVertexPalette;

class FltOutputFile : public FltRecordHolder {
 public:
  FltOutputFile();
  ~FltOutputFile() override;
  FltOutputFile(const FltOutputFile&) = delete;
  FltOutputFile& operator=(const FltOutputFile&) = delete;

  // Non-zero when open and its first records written. A file still open is finished
  // first (discarded if it failed).
  [[nodiscard]] int open(const std::string& path, int version);
  int isOpen() const { return current_ != nullptr; }
  // Writes header, palettes and body to the real file. 1 on success; 0 when any
  // write failed, in which case nothing is left at the output path.
  [[nodiscard]] int close();
  // Drops an open file without finishing it, and its stage; the output path is
  // left as it was.
  void discard();
  // The files put in place with the output by a successful close.
  FileStage& stage() { return stage_; }

  void setVersion(int version);
  int version() const { return version_; }
  FltRecord& scratchRecord() { return scratch_; }
  // The header and the palettes, which converters fill while the scene is walked.
  FltHeader& header() { return header_; }
  FltColorPalette& colors() { return colorPalette_; }
  FltMaterialPalette& materials() { return materialPalette_; }
  FltTextureList& textures() { return textureList_; }
  FltVertexPalette& vertices() { return vertexPalette_; }
  const FltHeader& header() const { return header_; }
  const FltColorPalette& colors() const { return colorPalette_; }
  const FltMaterialPalette& materials() const { return materialPalette_; }
  const FltTextureList& textures() const { return textureList_; }
  const FltVertexPalette& vertices() const { return vertexPalette_; }

  // Each returns 1 when written, 0 when the record was refused or the write failed.
  [[nodiscard]] int writeRecord(FltRecord& record);
  [[nodiscard]] int write(FltRecordBase& record) { return record.write(*this); }
  [[nodiscard]] int writePushLevel();
  [[nodiscard]] int writePopLevel();
  [[nodiscard]] int writePushSubface();
  [[nodiscard]] int writePopSubface();
  [[nodiscard]] int writeLongId(const char* text);

  // During the walk: adds the vertex to the palette and its offset to the pending
  // vertex list (a full palette fails the export). At close: writes the vertex.
  [[nodiscard]] int addVertex(const FltVertex& vertex);
  // The same for a vertex the palette has taken already, by the offset its add
  // returned (kFull fails the export).
  [[nodiscard]] int addPaletteVertex(int32_t offset);

  int pushDepth() const { return pushDepth_; }
  int subfaceDepth() const { return subfaceDepth_; }
  int extensionDepth() const { return extensionDepth_; }
  int attributeDepth() const { return attributeDepth_; }

  // Set once a write failed or a record was refused; error() says why.
  bool failed() const { return failed_; }
  // Marks the export as failed; the first reason is kept and close() returns 0.
  void fail(const std::string& why);
  // Where problems that do not fail the export go (attribute files that could
  // not be written); none by default.
  void setWarningSink(WarningSink sink) { warn_ = std::move(sink); }
  const std::string& error() const { return error_; }
  const std::string& path() const { return path_; }

  FltRecord& heldRecord() override { return scratch_; }
  int heldVersion() const override { return version_; }

 private:
  void reset();
  [[nodiscard]] bool flushPending();
  // The body's copy behind the palettes, on a thread of its own when it is large.
  class BodyCopy {
   public:
    void start(int from, int to, int64_t at, bool aside);
    // False, errno set, when the copy failed; true when none was started.
    [[nodiscard]] bool wait();
    ~BodyCopy() { static_cast<void>(wait()); }

   private:
    void run();
    std::thread thread_;
    int from_ = -1, to_ = -1;
    int64_t at_ = 0;
    bool ok_ = true;
    int error_ = 0;
  };
  static constexpr int64_t kBodyCopiedAside = int64_t{8} << 20;
  [[nodiscard]] bool finishRealFile();
  void closeStreams();

  enum class State { kClosed, kOpen };

  int version_ = kRevision152;
  FltRecord scratch_;
  State state_ = State::kClosed;
  int pushDepth_ = 0;
  int subfaceDepth_ = 0;
  int extensionDepth_ = 0;
  int attributeDepth_ = 0;
  FltHeader header_;
  FltColorPalette colorPalette_;
  FltVertexPalette vertexPalette_;
  FltMaterialPalette materialPalette_;
  FltTextureList textureList_;
  FltVertexList pending_;
  FltRecord pendingRecord_;
  bool flushing_ = false;
  bool paletteWriting_ = false;
  // Where records go now: the body during the walk, the real file at close;
  // they pass through buffer_ on the way.
  std::FILE* current_ = nullptr;
  WriteBuffer buffer_;
  FileHandle body_;
  StagedFile real_;
  FileStage stage_;
  std::string path_;
  bool failed_ = false;
  std::string error_;
  WarningSink warn_;
};
