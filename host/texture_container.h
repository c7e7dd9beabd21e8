#pragma once
// GPU texture containers (DDS, KTX, KTX2) hold compressed or ready-to-upload pixels
// that stb_image does not read; their headers still give the pixel size.

#include <cstddef>

// Bytes enough for the longest header read: DDS with its DX10 extension.
inline constexpr size_t kTextureContainerHeaderBytes = 148;

// The top-level size from a DDS, KTX or KTX2 header. False for another format, a
// header cut short, or a side of 0 or above 65536 pixels; a 1-D KTX texture is one
// pixel high.
[[nodiscard]] bool readTextureContainerSize(const unsigned char* bytes, size_t size, int& width,
                                            int& height);
