#pragma once
// The earlier generation's system file (".hex"): hexadecimal digits, two per
// byte, most significant first; every character that is not a letter or a
// digit separates. The first 16 bytes are a header whose bytes 8 to 11 give
// the image length, header included.
#include <cstdint>
#include <string>
#include <vector>

// The largest image the unit has room for.
inline constexpr int64_t max_system_image_size = 6291456;
inline constexpr int system_file_header_size = 16;

// Reads the file into the system image; returns the image length, or -1 when
// the file cannot be opened, declares less than a header, or holds no more
// than the header. A declared length above the largest image is returned
// without reading further, for the caller to refuse.
int64_t read_system_file(const std::string& path);
// The image: the declared length plus 1024 bytes, missing bytes zero.
const std::vector<uint8_t>& system_image();
void system_image_reset();
