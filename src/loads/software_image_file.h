#pragma once
// A load image opened again for sending: the file, left just past its header,
// and the 256 header bytes as read, which go to the unit as the control block.
#include <array>
#include <cstdint>
#include <string>

#include "formats/file_pieces.h"
#include "formats/image.h"

struct LoadImageFile {
    FilePtr file;
    std::array<uint8_t, load_image_header_size> load_image_header{};

    uint32_t payload_length() const;
};

enum class ImageFileOpen { opened, not_opened, header_short };

// Opens `path` for binary reading and reads its header.
ImageFileOpen open_load_image_file(const std::string& path, LoadImageFile& image);
