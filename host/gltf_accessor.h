#pragma once
// The elements of a glTF accessor, checked once to lie inside their buffer view
// and buffer, so that every read after is in bounds.
//
//   std::string why;
//   const GltfAccessor positions = GltfAccessor::open(model, prim.attributes["POSITION"], why);
//   if (!why.empty()) return why;
//   float x = positions.real(0, 0);

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace tinygltf {
class Model;
}

// The bytes of buffer view `index`, or null with `why` when it is not in the file or
// reaches past its buffer.
const unsigned char* gltfViewBytes(const tinygltf::Model& model, int index, size_t& length,
                                   std::string& why);

class GltfAccessor {
 public:
  // The accessor `index` of `model`; `why` gets the reason when it is no
  // accessor, names no buffer view or reaches past its view or buffer.
  static GltfAccessor open(const tinygltf::Model& model, int index, std::string& why);

  size_t count() const { return count_; }
  int components() const { return components_; }
  int componentType() const { return componentType_; }
  bool isFloat() const;

  // Component `c` of element `i`: a float accessor's value; an integer one's
  // unsigned bits (as indices and normalised colours take them).
  float real(size_t i, int c) const {
    float v;
    std::memcpy(&v, at(i, c), sizeof v);
    return v;
  }
  uint32_t whole(size_t i, int c) const {
    const unsigned char* p = at(i, c);
    switch (componentSize_) {
      case 1:
        return p[0];
      case 2: {
        uint16_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
      }
      default: {
        uint32_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
      }
    }
  }

 private:
  const unsigned char* at(size_t i, int c) const {
    return data_ + i * stride_ + size_t(c) * size_t(componentSize_);
  }

  const unsigned char* data_ = nullptr;
  size_t count_ = 0;
  size_t stride_ = 0;
  int components_ = 0;
  int componentType_ = 0;
  int componentSize_ = 0;
};
