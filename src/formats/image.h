#pragma once
// Load images: a 256-byte big-endian header followed by the payload. One image
// is open at a time, as process state; the checks answer true or false and the
// caller reports.
#include <cstdint>
#include <string>

inline constexpr int load_image_header_size = 256;

enum ImageType : uint32_t {
    IMAGE_SYSTEM_PROGRAM = 1,
    IMAGE_DATABASE = 2,
    IMAGE_OS = 3,
    IMAGE_UPDATE_PAYLOAD = 4,
    IMAGE_BOOT = 5,
};

// The fields of load_image_header, each named by its byte offset.
inline constexpr int hdr_format = 0;
inline constexpr int hdr_image_type = 4;
inline constexpr int hdr_id_text = 8;
inline constexpr int hdr_version_text = 40;
inline constexpr int hdr_release = 72;
inline constexpr int hdr_payload_crc = 76;
inline constexpr int hdr_payload_length = 80;
inline constexpr int hdr_embedded_crc_offset = 92;
inline constexpr int hdr_crc = 252;
inline constexpr uint32_t release_marker = 8;
// hdr_embedded_crc_offset of an image that carries no embedded checksum.
inline constexpr uint32_t no_embedded_crc = 0xFFFFFFFFu;

// Opens `path` as the one open image (replacing the previous one, whatever
// the result) and validates its header: checksum, format 1, expected type.
bool image_open(const std::string& path, uint32_t expected_type);
// The file is 256 + hdr_payload_length bytes and the payload checksum matches.
bool image_check_payload_crc();
// hdr_release is the release marker.
bool image_is_release();
// The embedded "0x%08x" text holds the checksum register over the payload
// from its start to the first writable ELF section (rounded up to 4096 bytes),
// the text itself left out.
bool image_check_embedded_crc();

// The header copy of the open image (256 bytes as read), valid after image_open.
const uint8_t* image_header();
// Whether the payload check passed on the open image.
bool image_payload_checked();
// Closes the open image and clears its state.
void image_reset();
