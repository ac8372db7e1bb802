#include "loads/software_image_file.h"

#include "formats/byte_order.h"

uint32_t LoadImageFile::payload_length() const { return get_be32(&header[hdr_payload_length_offset]); }

ImageFileOpen open_load_image_file(const std::string& path, LoadImageFile& image) {
    image.file = open_binary(path);
    if (!image.file) return ImageFileOpen::not_opened;
    if (!read_exact(image.file.get(), image.header.data(), image.header.size())) return ImageFileOpen::header_short;
    return ImageFileOpen::opened;
}
