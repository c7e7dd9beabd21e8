// Assimp's import alone, read the way host/scene_loader.cpp reads a scene: the
// baseline the command benchmark compares `zorvel` against.
//   bench_assimp_import FILE

#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <assimp/Importer.hpp>

#include <cstdint>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
    return 2;
  }
  Assimp::Importer importer;
  importer.SetPropertyBool(AI_CONFIG_IMPORT_FBX_PRESERVE_PIVOTS, false);
  // Two steps, as the loader does: it checks the raw scene between them.
  const aiScene* scene = importer.ReadFile(argv[1], 0);
  if (scene) scene = importer.ApplyPostProcessing(aiProcess_Triangulate | aiProcess_SortByPType);
  if (!scene) {
    std::fprintf(stderr, "Error loading %s: %s\n", argv[1], importer.GetErrorString());
    return 2;
  }
  std::uint64_t triangles = 0;
  for (unsigned i = 0; i < scene->mNumMeshes; ++i)
    for (unsigned f = 0; f < scene->mMeshes[i]->mNumFaces; ++f)
      triangles += scene->mMeshes[i]->mFaces[f].mNumIndices == 3;
  std::printf("%llu triangles\n", static_cast<unsigned long long>(triangles));
  return 0;
}
