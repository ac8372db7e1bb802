#include "loads/software_compatibility.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "formats/image.h"

namespace {
constexpr std::size_t header_text_size = 32;
constexpr uint32_t served_identifier = 0x3400;
constexpr int variant_mark = 10;

struct Expected {
    uint32_t identifier = 0;
    int variant = 0;
};

Expected expected_for(uint32_t hardware_id) {
    if (hardware_id != 0x34019FFF && hardware_id != 0x34029FFF) return {};
    return {served_identifier, ((hardware_id >> 16) & 0xF) == 1 ? variant_mark : 0};
}

// A header text field up to its first NUL, at most its 32 bytes.
std::string header_text(const uint8_t* header, int offset) {
    const char* text = reinterpret_cast<const char*>(header + offset);
    return std::string(text, std::find(text, text + header_text_size, '\0'));
}

// The hexadecimal number from the identifier text's third character on (after
// its "0x"), read as "%x" reads one; 0 when there is none, all ones when it
// does not fit.
uint32_t image_identifier(const std::string& id_text) {
    if (id_text.size() <= 2) return 0;
    const unsigned long long value = std::strtoull(id_text.c_str() + 2, nullptr, 16);
    return value > 0xFFFFFFFFull ? 0xFFFFFFFFu : uint32_t(value);
}

int image_variant(const std::string& version_text) {
    const auto a = version_text.find('A');
    const auto dot = version_text.find('.');
    return a != std::string::npos && dot != std::string::npos && a < dot ? variant_mark : 0;
}
}  // namespace

std::string hardware_and_software_text(uint32_t hardware_id, const uint8_t* header) {
    char unit[16];
    std::snprintf(unit, sizeof unit, "0x%08X", unsigned(hardware_id));
    return std::string("Unit hardware identifier ") + unit + "; file identifier '" +
           header_text(header, hdr_id_text) + "', version '" + header_text(header, hdr_version_text) +
           "'";
}

bool software_suits_hardware(uint32_t hardware_id, const uint8_t* header) {
    const Expected expected = expected_for(hardware_id);
    return image_identifier(header_text(header, hdr_id_text)) == expected.identifier &&
           image_variant(header_text(header, hdr_version_text)) == expected.variant;
}
