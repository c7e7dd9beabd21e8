#pragma once
// An OBJ file's text made ready for tinyobjloader, which reads a material name only
// up to its first space, keeps no name that no .mtl file defines and reads no
// UTF-16. The material lines are taken out here: each `usemtl` names its material
// by number in `materialNames`, and one `mtllib` line at the start stands for every
// library the file names, so that all are read before the first face.

#include <string>
#include <string_view>
#include <vector>

// The library name of that one line.
inline constexpr const char* kAllLibraries = "*";

struct ObjText {
  // What tinyobjloader reads: the file's own bytes where nothing needs changing,
  // else the text made here.
  std::string_view source() const { return rewritten ? std::string_view(text) : original; }
  std::string_view original;
  std::string text;
  bool rewritten = false;
  std::vector<std::string> libraries;      // the `mtllib` names, in file order
  std::vector<std::string> materialNames;  // the `usemtl` names, distinct, in first use
  bool facesBeforeObject = false;          // faces, lines or points come before any `o` or `g` line
  bool firstVertexColored = false;         // the first `v` line holds a colour
};

// UTF-16 text (with its byte order mark) becomes UTF-8; a UTF-8 mark is dropped.
// `bytes` must outlive the result.
ObjText prepareObjText(std::string_view bytes);
