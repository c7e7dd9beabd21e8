// tinygltf's implementation, built once here over RapidJSON: its DOM parses the
// city benchmark's JSON in less time and memory than nlohmann's, which Debian's
// shared libtinygltf uses. Images are never decoded or read from their files: the
// host needs only the bytes of those embedded in the scene. RapidJSON's pool
// allocator lets one document be parsed at a time: the host loads one scene.
#include <stdexcept>

// An impossible state of the parser becomes an error of the file, not an abort.
#define RAPIDJSON_ASSERT(x) \
  if (!(x)) throw std::runtime_error("the JSON parser met " #x)
#include <rapidjson/document.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#define TINYGLTF_IMPLEMENTATION
#define TINYGLTF_NO_INCLUDE_RAPIDJSON
#include <tiny_gltf.h>
