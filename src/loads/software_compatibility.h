#pragma once
// Whether a system software image suits the connected hardware: the unit's
// hardware identifier names the image identifier and variant it runs.
#include <cstdint>

// `header` is the image's 256-byte header: its identifier text ("0x" and
// hexadecimal digits) and its version text, where an "A" before the first "."
// marks the variant.
bool software_suits_hardware(uint32_t hardware_id, const uint8_t* header);
