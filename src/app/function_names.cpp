#include "app/function_names.h"

namespace {
constexpr BatchFunctionName names[] = {
    {"system-software", LF_SYSTEM_SOFTWARE},
    {"os-image", LF_OS_IMAGE},
    {"boot-image", LF_BOOT_IMAGE},
    {"terrain", LF_TERRAIN},
    {"airport", LF_AIRPORT},
    {"obstacle", LF_OBSTACLE},
    {"overlay", LF_OVERLAY},
    {"read-config", LF_READ_CONFIG},
    {"write-config", LF_WRITE_CONFIG},
    {"hass-config", LF_HASS_CONFIG},
    {"nogamma-config", LF_NO_GAMMA_CONFIG},
    {"download-recordings", LF_DOWNLOAD_RECORDING},
    {"erase-recordings", LF_ERASE_RECORDING},
    {"block-test", LF_BLOCK_TEST},
};
}  // namespace

std::span<const BatchFunctionName> batch_function_names() { return names; }

std::string_view batch_function_name(LoaderFunction function) {
    if (function == LF_TERRAIN_DATA) function = LF_TERRAIN;
    for (const BatchFunctionName& n : names)
        if (n.function == function) return n.name;
    return "";
}
