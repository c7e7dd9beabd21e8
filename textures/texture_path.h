#pragma once
// Where an export's texture images are referenced from and copied to. With the
// copy option on, every image is named, and copied, under its file name in the output file's
// directory; in every case the path uses '/' separators.

#include <string>

#include "flt/file_stage.h"
#include "flt/warning_sink.h"

// The part of `path` behind its last '/' or '\\', made a plain name that stays in
// the folder it is put in: no control characters, no leading dot; "texture" when
// nothing is left. Names from scene files pass through it before they name a file.
std::string plainFileName(const std::string& path);

// The directory part of an output file path: the path cut before its last '/' or
// '\\', "/" for a file in the root, and "" for a bare file name (the file lies in
// the working directory).
std::string textureOutputDirectory(const std::string& outputPath);

// `name` behind `directory`, joined by exactly one separator; an empty directory
// leaves the name alone.
std::string joinTexturePath(const std::string& directory, const std::string& name);

class TexturePathContext {
 public:
  // Records the working directory and the output file's directory for an export.
  void setUp(const std::string& currentDirectory, const std::string& outputPath);
  void setCopyTextures(bool on) { copy_ = on; }
  bool copyTextures() const { return copy_; }

  const std::string& currentDirectory() const { return currentDirectory_; }
  const std::string& outputDirectory() const { return outputDirectory_; }
  // With the option on, wherever the output is (an image is never copied onto itself).
  bool copyApplies() const { return copy_; }

  // In place: the path the database refers to the image by.
  void resolveTexturePath(std::string& path) const;

  // Copies `source` (the image as the host names it) to the resolved path `target`
  // as a file of `stage`, which replaces what is there once the export succeeds,
  // when copying applies. True when copied or there was nothing to do (copying
  // does not apply, or both name the same file); false after telling `warn` why.
  [[nodiscard]] bool copyTexture(const std::string& source, const std::string& target,
                                 FileStage& stage, const WarningSink& warn) const;

 private:
  bool copy_ = true;
  std::string currentDirectory_;
  std::string outputDirectory_;
};
