#pragma once
// A node's user-property text from the metadata Assimp gives it.

#include <optional>
#include <string>

struct aiMetadata;
struct aiMetadataEntry;

// How a format stores user-defined properties.
enum class UserPropertyStyle {
  // FBX (and every format but glTF): the modelling application's text in
  // `UserProperties`, plus custom properties whose key starts with "Flt".
  kFbx,
  // FBX written as text, whose strings escape line breaks and quotes as "&cr;",
  // "&lf;" and "&quot;"; Assimp leaves them so.
  kFbxText,
  // glTF: the node's extras; a string `userText` holds the text.
  kGltfExtras,
};

// The whole text, lines ended by "\r\n": the stored text first, then one
// "key = value" line per other user-defined entry in the metadata's order.
std::string userTextFromMetadata(const aiMetadata* metadata, UserPropertyStyle style);

// An entry's value as a property shows it: strings as they are, numbers in the
// shortest form that reads back the same, booleans "Yes" or "No"; nothing for
// vectors and nested objects or arrays.
std::optional<std::string> metadataValueText(const aiMetadataEntry& entry);
