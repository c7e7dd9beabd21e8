#pragma once
// How closely an exported file reproduces the look of its source scene: every
// source triangle, read through Assimp on its own, is looked for among the faces
// written for its node, and the face that holds its three corners must give the
// material's colour, the light mode and draw type the material asks for, and the
// triangle's texture coordinates at its corners. Every written polygon must be
// convex in its plane, as readers fan them.
//
//   LookOptions options;
//   LookTally tally = compareLook("in/box.obj", "out/box.flt", options);
//   if (!tally.error.empty() || !tally.faithful()) std::puts(tally.misses[0].c_str());

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

struct LookOptions {
  // The export turned the scene from Y-up to Z-up (+90 degrees about X).
  bool upToZ = true;
  // Misses described in LookTally::misses; the counts go on past them.
  size_t keptMisses = 12;
};

struct LookTally {
  std::string error;  // the source or the file could not be read

  long skipped = 0;    // source triangles of no area or no finite corners
  long triangles = 0;  // the other source triangles
  long found = 0;      // held by some face of their node (the rest count as misses of all)
  long facing = 0;     // ... by one wound the same way
  long colorChecked = 0, colorMatched = 0;
  long lightChecked = 0, lightMatched = 0;
  long sidesChecked = 0, sidesMatched = 0;
  long uvChecked = 0, uvMatched = 0;
  long normalsChecked = 0, normalsMatched = 0;  // the source's vertex normals

  // Faces that hold every triangle may still cover more than the source does.
  double sourceArea = 0, writtenArea = 0;

  long faces = 0;     // written faces
  long litFaces = 0;  // ... of light mode 2 or 3
  long twoSidedFaces = 0;
  long polygons = 0;  // ... of more than three corners
  long concave = 0;   // ... not convex in their plane
  std::vector<std::string> misses;

  bool faithful() const {
    return found == triangles && facing == triangles && colorMatched == colorChecked &&
           lightMatched == lightChecked && sidesMatched == sidesChecked && uvMatched == uvChecked &&
           normalsMatched == normalsChecked && concave == 0 && sameArea();
  }
  bool sameArea() const {
    return std::fabs(writtenArea - sourceArea) <= 1e-4 * std::max(1e-12, sourceArea);
  }
};

LookTally compareLook(const std::string& scenePath, const std::string& fltPath,
                      const LookOptions& options = {});

// The palette's quantisation: a colour index keeps a hue slot of even bytes and a
// brightness of 127 steps, so any component may be this far off.
constexpr double kPaletteTolerance = 1.0 / 127 + 3.0 / 255;
constexpr double kUvTolerance = 1e-5;
// Welding keeps the normals as they are: only the transform's rounding is left.
constexpr double kNormalCosine = 0.9995;
