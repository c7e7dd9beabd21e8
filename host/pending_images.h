#pragma once
// Images a scene file holds inside itself. They are written beside the output
// only once the export has started (the dialog accepted it), never over a file
// that is no image or that must be kept, and taken back when the export fails or
// is interrupted (a replaced image returns): loading a stranger's scene writes
// nothing, and only a successful export leaves its images.

#include <functional>
#include <string>
#include <vector>

class PendingImages {
 public:
  using Warn = std::function<void(const std::string&)>;

  // `path` is where the texture map says the image is; `keep` are files it must
  // never replace (the scene file, the output).
  void add(std::string path, std::vector<char> bytes);
  void keep(std::string path) { keep_.push_back(std::move(path)); }
  const std::vector<std::string>& kept() const { return keep_; }

  // Whether `path` may take an image: free, or an image that is none of the kept.
  bool mayWrite(const std::string& path) const;

  PendingImages() = default;
  PendingImages(const PendingImages&) = delete;
  PendingImages& operator=(const PendingImages&) = delete;
  // What was not committed is taken back.
  ~PendingImages() { rollBack(); }

  // Writes every image not written yet, each complete or not at all; an image it
  // replaces is kept aside under a hidden name until commit() or rollBack().
  void extract(const Warn& warn);
  // The export succeeded: the written images stay, the replaced ones go.
  void commit();
  // Removes the images extract created and puts the replaced ones back.
  void rollBack();

  size_t size() const { return images_.size(); }
  // The bytes of the image to be written at `path`, or null.
  const std::vector<char>* bytesOf(const std::string& path) const;

 private:
  struct Image {
    std::string path;
    std::vector<char> bytes;
    bool done = false;
    bool created = false;
    std::string replaced{};  // the hidden name of the image this one replaced
  };
  std::vector<Image> images_;
  std::vector<std::string> keep_;
};
