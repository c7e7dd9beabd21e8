// The big scene of the end-to-end tests: many boxes, as long to export as wanted.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace e2e {

// `count` unit boxes in an OBJ file, each an object of its own named b0, b1 ...
inline void writeBoxes(const std::string& path, int count) {
  std::ostringstream obj;
  for (int i = 0; i < count; ++i) {
    obj << "o b" << i << '\n';
    const int x = (i % 150) * 2, y = (i / 150) * 2;
    for (int c = 0; c < 8; ++c)
      obj << "v " << x + (c >> 2 & 1) << ' ' << y + (c >> 1 & 1) << ' ' << (c & 1) << '\n';
    static const int kQuads[6][4] = {{1, 3, 4, 2}, {5, 6, 8, 7}, {1, 2, 6, 5},
                                     {3, 7, 8, 4}, {1, 5, 7, 3}, {2, 4, 8, 6}};
    for (const auto& q : kQuads)
      obj << "f " << i * 8 + q[0] << ' ' << i * 8 + q[1] << ' ' << i * 8 + q[2] << ' '
          << i * 8 + q[3] << '\n';
  }
  std::ofstream(path, std::ios::binary) << obj.str();
}

}  // namespace e2e
