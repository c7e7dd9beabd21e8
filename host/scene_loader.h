#pragma once
// Reads a scene file (any format Assimp knows) into the in-memory host scene.
//
//   SceneLoadOptions options;
//   options.outputDirectory = "/out";
//   SceneLoadResult loaded = loadScene("city.fbx", options);
//   if (!loaded) { std::fprintf(stderr, "%s\n", loaded.error.c_str()); return 2; }

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/memory_scene.h"

// The up axis of a scene as Assimp delivers it.
enum class UpAxis {
  kAuto,  // an FBX file's declared axis; Y for every other format
  kY,     // turned to Z-up by +90 degrees about X, as the modelling host shows it
  kZ,     // positions stay as they are
};

// Which reader takes the file.
enum class SceneReader {
  kAuto,    // our own readers for the formats that have one, Assimp for the rest
  kAssimp,  // Assimp for every format
};

struct SceneLoadOptions {
  UpAxis upAxis = UpAxis::kAuto;
  SceneReader reader = SceneReader::kAuto;
  // The output file's folder: embedded images are written there (empty: the
  // working directory).
  std::string outputDirectory;
  // The output file, which no embedded image may replace.
  std::string outputFile;
  // Called with the reader's percentage while it reads, where the reader tells.
  std::function<void(int)> progress;
  // Defaults from the scene's look (see SceneBuildSettings::sourceLook).
  bool sourceLook = true;
};

struct SceneLoadResult {
  std::unique_ptr<MemoryScene> scene;  // null when the file could not be loaded
  std::string error;                   // one line: "Error loading FILE: why"
  std::vector<std::string> warnings;   // a loaded scene's lesser problems

  explicit operator bool() const { return scene != nullptr; }
};

// Never throws: a missing, unreadable, truncated or foreign file gives an error
// naming the file and the reason, and writes nothing.
SceneLoadResult loadScene(const std::string& path, const SceneLoadOptions& options = {});

// The file extensions the loader takes, lower case with their dots, sorted.
std::vector<std::string> inputExtensions();
// "5.2.5"
std::string assimpVersion();
