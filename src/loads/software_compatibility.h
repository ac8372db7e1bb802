#pragma once
// Whether a system software image suits the connected hardware: the unit's
// hardware identifier names the image identifier and variant it runs.
#include <cstdint>
#include <string>

// `header` is the image's 256-byte header: its identifier text ("0x" and
// hexadecimal digits) and its version text, where an "A" before the first "."
// marks the variant.
bool software_suits_hardware(uint32_t hardware_id, const uint8_t* header);
// The two identifiers compared, as the technician reads them: the unit's
// hardware identifier and the image's identifier and version texts.
std::string hardware_and_software_text(uint32_t hardware_id, const uint8_t* header);
