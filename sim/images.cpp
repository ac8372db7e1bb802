// The headers of the system software images as the unit checks them before it
// takes one: the application, I/O and start-up programs, the checksum list and
// the update scripts.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "formats/byte_order.h"
#include "sim/sim_state.h"

namespace {
constexpr uint32_t program_type = 1;
constexpr uint32_t update_type = 4;
constexpr std::size_t text_field = 32;

// The board's own identifier and whether it runs the "A" variant, for the two
// boards that name their software; other boards do not check.
struct Board {
    bool names_software = false;
    uint32_t identifier = 0;
    bool variant = false;
};

Board board_of(uint32_t hardware_id) {
    if (hardware_id == 0x34019FFF) return {true, 0x3400, true};
    if (hardware_id == 0x34029FFF) return {true, 0x3400, false};
    return {};
}

// A text field that ends within its 32 bytes; false when it runs on.
bool field_text(const std::vector<uint8_t>& cb, std::size_t offset, std::string& text) {
    const char* start = reinterpret_cast<const char*>(&cb[offset]);
    const std::size_t n = strnlen(start, text_field);
    if (n == text_field) return false;
    text.assign(start, n);
    return true;
}

// "0x" and one to eight hexadecimal digits.
bool identifier_number(const std::string& text, uint32_t& number) {
    if (text.size() < 3 || text.size() > 10 || text.compare(0, 2, "0x") != 0) return false;
    number = 0;
    for (std::size_t i = 2; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (!std::isxdigit(c)) return false;
        number = number << 4 | uint32_t(std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10);
    }
    return true;
}

// An "A" ahead of the version's first dot marks the variant's software.
bool variant_version(const std::string& version) {
    const std::size_t dot = version.find('.');
    return dot != std::string::npos && version.substr(0, dot).find('A') != std::string::npos;
}

std::string hex(uint32_t value) {
    char text[11];
    std::snprintf(text, sizeof text, "0x%X", unsigned(value));
    return text;
}
}  // namespace

std::string sim_image_block_fault(const SimConfig& config, const std::vector<uint8_t>& cb) {
    const uint32_t type = get_be32(&cb[4]);
    if (type != program_type && type != update_type) return {};
    if (get_be32(&cb[0]) != 1) return "image header format " + std::to_string(get_be32(&cb[0]));
    std::string id, version;
    if (!field_text(cb, 8, id)) return "image identifier text not ended within 32 bytes";
    if (!field_text(cb, 40, version)) return "image version text not ended within 32 bytes";
    uint32_t identifier = 0;
    if (!id.empty() && !identifier_number(id, identifier)) return "image identifier \"" + id + "\" is not 0x and hex digits";
    const Board board = board_of(config.p_table.hardware_id);
    if (type != program_type || !board.names_software) return {};
    if (identifier != board.identifier) return "program for board " + hex(identifier) + ", not " + hex(board.identifier);
    if (variant_version(version) != board.variant)
        return "program version \"" + version + "\" is " + (board.variant ? "not " : "") + "for the A variant";
    return {};
}
