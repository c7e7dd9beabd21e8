#pragma once
// A node's user text as a comment record: the free text that remains when every
// line carrying one of the exporter's property keys is taken out.

#include <cstddef>
#include <string>

class SceneNode;
class FltOutputFile;

// Every key of the attribute tables but wireinput/wireoutput, plus the keys read
// outside them, in the order they are removed.
constexpr size_t kFltPropertyKeyCount = 190;
extern const char* const kFltPropertyKeys[kFltPropertyKeyCount];

// For each key in order, each occurrence anywhere in the text (inside a word or a value
// too) is removed through the next carriage return and one line feed right after it;
// with no carriage return after it, through the end of the text.
void stripFltKeys(std::string& text);
// Writes the stripped user text as a comment record, even when nothing is left of it.
// 1 when a record was written; 0 for an empty user text or a failed write.
[[nodiscard]] int writeNodeComment(const SceneNode& node, FltOutputFile& file);

struct OutsideKey;
// FltImporterVersion: taken out of the comment, read by no record.
extern const OutsideKey kImporterVersionKey;
