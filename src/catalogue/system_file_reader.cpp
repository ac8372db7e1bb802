#include "catalogue/system_file_reader.h"

#include <cstdio>
#include <new>

#include "catalogue/refusal.h"
#include "output/log.h"

namespace {
struct SystemImageState {
    std::vector<uint8_t> image;
};
SystemImageState g_system_image;

// The value of a digit place: hexadecimal digits count, other letters and
// digits take a place but add nothing; -1 for a separator.
int digit_value(int c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return 0;
    return -1;
}

// Makes room for the image once the header is complete; false to stop.
bool start_image(const uint8_t (&header)[system_file_header_size], uint32_t& length) {
    length = uint32_t(header[8]) << 24 | uint32_t(header[9]) << 16 | uint32_t(header[10]) << 8 | header[11];
    if (length < system_file_header_size) {
        refuse("Invalid header (says " + std::to_string(length) + " bytes)");
        return false;
    }
    if (length > max_system_image_size) return false;
    try {
        g_system_image.image.assign(std::size_t{length} + 1024, 0);
    } catch (const std::bad_alloc&) {
        refuse("Could not allocate " + std::to_string(length) + " bytes.");
        return false;
    }
    std::copy(std::begin(header), std::end(header), g_system_image.image.begin());
    return true;
}
}  // namespace

int64_t read_system_file(const std::string& path) {
    log_write("Read System Software file...");
    log_write(path);
    std::vector<uint8_t>& image = g_system_image.image;
    image.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return -1;
    uint8_t header[system_file_header_size] = {};
    uint32_t length = 0;
    uint32_t formed = 0;
    int high = -1;
    bool refused = false;
    for (int c = std::fgetc(f); c != EOF; c = std::fgetc(f)) {
        const int value = digit_value(c);
        if (value < 0) continue;
        if (high < 0) {
            if (formed == system_file_header_size && image.empty() && !start_image(header, length)) {
                refused = true;
                break;
            }
            if (!image.empty() && formed >= length) break;
            high = value;
            continue;
        }
        const auto byte = static_cast<uint8_t>(high << 4 | value);
        high = -1;
        if (formed < system_file_header_size)
            header[formed] = byte;
        else
            image[formed] = byte;
        ++formed;
    }
    std::fclose(f);
    if (refused && length > max_system_image_size) return length;
    if (refused || formed <= system_file_header_size) {
        image.clear();
        return -1;
    }
    return length;
}

const std::vector<uint8_t>& system_image() { return g_system_image.image; }

void system_image_reset() { g_system_image = SystemImageState{}; }
