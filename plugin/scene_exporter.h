#pragma once
// The host's scene-exporter interface: the queries behind the host's export file
// dialog and the export entry it calls with the chosen path.
//
// Texts returned by the queries may live in a buffer that the next query reuses:
// copy them before asking again.

#include <string>

class ExportInterface;
class HostInterface;

class SceneExporter {
 public:
  virtual ~SceneExporter() = default;

  virtual int extensionCount() = 0;
  // Extension `n` without the dot ("FLT"); the empty text past the last one.
  virtual const char* extension(int n) = 0;
  virtual const char* longDescription() = 0;
  virtual const char* shortDescription() = 0;
  virtual const char* authorName() = 0;
  virtual const char* copyrightMessage() = 0;
  virtual const char* otherMessage1() = 0;
  virtual const char* otherMessage2() = 0;
  // The exporter's version times 100.
  virtual unsigned version() = 0;
  virtual void showAbout(void* window) = 0;
  // Writes the host's scene to `path`: 1 on success (or a cancel), 0 on failure.
  [[nodiscard]] virtual int doExport(const char* path, ExportInterface* ei, HostInterface* host,
                                     bool suppressPrompts, unsigned options = 0) = 0;
  virtual int supportsOptions(int extension, unsigned options) = 0;
  // The properties the export reads from nodes, of one record kind (any text
  // FltType takes) or of all (an empty kind), as text or as Markdown. False, with
  // `text` saying why, when the kind has no properties.
  virtual bool propertyReference(const std::string& /*kind*/, bool /*markdown*/,
                                 std::string& text) {
    text = "this exporter has no property reference";
    return false;
  }
};
