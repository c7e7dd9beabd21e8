#include "host/gltf_accessor.h"

#include <tiny_gltf.h>

namespace {

int componentSize(int type) {
  switch (type) {
    case TINYGLTF_COMPONENT_TYPE_BYTE:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
      return 1;
    case TINYGLTF_COMPONENT_TYPE_SHORT:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT:
      return 2;
    case TINYGLTF_COMPONENT_TYPE_INT:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:
    case TINYGLTF_COMPONENT_TYPE_FLOAT:
      return 4;
    default:
      return 0;
  }
}

int componentCount(int type) {
  switch (type) {
    case TINYGLTF_TYPE_SCALAR:
      return 1;
    case TINYGLTF_TYPE_VEC2:
      return 2;
    case TINYGLTF_TYPE_VEC3:
      return 3;
    case TINYGLTF_TYPE_VEC4:
    case TINYGLTF_TYPE_MAT2:
      return 4;
    case TINYGLTF_TYPE_MAT3:
      return 9;
    case TINYGLTF_TYPE_MAT4:
      return 16;
    default:
      return 0;
  }
}

}  // namespace

const unsigned char* gltfViewBytes(const tinygltf::Model& model, int index, size_t& length,
                                   std::string& why) {
  const std::string name = "buffer view " + std::to_string(index);
  if (index < 0 || size_t(index) >= model.bufferViews.size()) {
    why = "there is no " + name;
    return nullptr;
  }
  const tinygltf::BufferView& view = model.bufferViews[size_t(index)];
  if (view.buffer < 0 || size_t(view.buffer) >= model.buffers.size()) {
    why = name + " names no buffer";
    return nullptr;
  }
  const std::vector<unsigned char>& buffer = model.buffers[size_t(view.buffer)].data;
  if (view.byteOffset > buffer.size() || view.byteLength > buffer.size() - view.byteOffset) {
    why = name + " reaches past the end of its buffer";
    return nullptr;
  }
  length = view.byteLength;
  return buffer.data() + view.byteOffset;
}

bool GltfAccessor::isFloat() const {
  return componentType_ == TINYGLTF_COMPONENT_TYPE_FLOAT;
}

GltfAccessor GltfAccessor::open(const tinygltf::Model& model, int index, std::string& why) {
  GltfAccessor a;
  const std::string name = "accessor " + std::to_string(index);
  if (index < 0 || size_t(index) >= model.accessors.size()) {
    why = "there is no " + name;
    return a;
  }
  const tinygltf::Accessor& acc = model.accessors[size_t(index)];
  a.componentSize_ = componentSize(acc.componentType);
  a.components_ = componentCount(acc.type);
  if (a.componentSize_ == 0 || a.components_ == 0) {
    why = name + " has an unknown element type";
    return a;
  }
  size_t room = 0;
  const unsigned char* bytes = gltfViewBytes(model, acc.bufferView, room, why);
  if (!bytes) {
    why = name + ": " + why;
    return a;
  }
  const size_t element = size_t(a.componentSize_) * size_t(a.components_);
  const size_t stride = model.bufferViews[size_t(acc.bufferView)].byteStride;
  a.stride_ = stride ? stride : element;
  a.componentType_ = acc.componentType;
  // The last element ends inside the view: (count - 1) strides, then one element.
  if (acc.count > 0 && (acc.byteOffset > room || element > room - acc.byteOffset ||
                        acc.count - 1 > (room - acc.byteOffset - element) / a.stride_)) {
    why = name + " reaches past the end of its buffer view";
    return a;
  }
  a.count_ = acc.count;
  if (a.count_ > 0) a.data_ = bytes + acc.byteOffset;
  return a;
}
