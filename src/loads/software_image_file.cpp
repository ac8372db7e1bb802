#include "loads/software_image_file.h"

#include "formats/byte_order.h"

uint32_t LoadImageFile::payload_length() const { return get_be32(&load_image_header[hdr_payload_length]); }

ImageFileOpen open_load_image_file(const std::string& path, LoadImageFile& image) {
    image.file = open_binary(path);
    if (!image.file) return ImageFileOpen::not_opened;
    std::array<uint8_t, load_image_header_size>& header = image.load_image_header;
    if (!read_exact(image.file.get(), header.data(), header.size())) return ImageFileOpen::header_short;
    return ImageFileOpen::opened;
}
