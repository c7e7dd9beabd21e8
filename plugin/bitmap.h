#pragma once
// Bitmaps: what the host's bitmap manager loads and what a bitmap texture shows.
//
// TheManager is a settable global, as in the host SDK. The host hands its manager
// over through HostInterface::bitmapManager(); the export entry stores it here for
// the export (BitmapManagerScope), because the plug-in module has its own copy of
// this global, out of the host's reach. While it is null nothing loads.

#include <string>

class BitmapInfo {
 public:
  BitmapInfo() = default;
  explicit BitmapInfo(const char* name) { SetName(name); }

  void SetName(const char* name) { name_ = name ? name : ""; }
  // After a successful load: the file the manager found.
  const char* Name() const { return name_.c_str(); }

 private:
  std::string name_;
};

class Bitmap {
 public:
  // Size in pixels; 0 x 0 when the bitmap holds no image (its file is missing).
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Releases a bitmap the caller owns (one that Load returned).
  virtual void DeleteThis() = 0;

 protected:
  virtual ~Bitmap() = default;
};

class BitmapManager {
 public:
  virtual ~BitmapManager() = default;
  // A bitmap the caller releases with DeleteThis, or null when the image cannot be
  // found or read. On success the info's name is completed to the file found.
  virtual Bitmap* Load(BitmapInfo* info) = 0;
};

extern BitmapManager* TheManager;

// Sets TheManager for a scope and restores the previous one.
class BitmapManagerScope {
 public:
  explicit BitmapManagerScope(BitmapManager* manager) : previous_(TheManager) {
    TheManager = manager;
  }
  ~BitmapManagerScope() { TheManager = previous_; }
  BitmapManagerScope(const BitmapManagerScope&) = delete;
  BitmapManagerScope& operator=(const BitmapManagerScope&) = delete;

 private:
  BitmapManager* previous_;
};
