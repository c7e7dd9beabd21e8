#pragma once
// The host as the export entry sees it: the scene's root, the progress display,
// the user's cancel request and the bitmap manager.

#include "plugin/bitmap.h"
#include "plugin/scene_node.h"

// The work function handed to progressStart; the exporter's does nothing.
using ProgressWork = unsigned long (*)(void* arg);

class HostInterface {
 public:
  virtual ~HostInterface() = default;

  // The scene itself, above every node of the file; never written.
  virtual SceneNode* rootNode() = 0;

  virtual void progressStart(const char* title, bool showBar, ProgressWork work, void* arg) = 0;
  // percent: 0..100; title null keeps the current one.
  virtual void progressUpdate(int percent, bool showPercent = true,
                              const char* title = nullptr) = 0;
  virtual void progressEnd() = 0;
  // True once the user asked to cancel.
  virtual bool getCancel() = 0;

  // The manager the export entry installs as TheManager.
  virtual BitmapManager* bitmapManager() = 0;
};
