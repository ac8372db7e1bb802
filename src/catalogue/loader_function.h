#pragma once
// The operation chosen on the setup page. The values are the identifiers of
// the page's radio buttons, and the transfer page dispatches on the same
// numbers.
enum LoaderFunction : int {
    LF_NONE = 0,
    LF_SYSTEM_SOFTWARE = 1005,
    LF_READ_CONFIG = 1006,
    LF_WRITE_CONFIG = 1007,
    LF_TERRAIN = 1008,
    LF_HASS_CONFIG = 1013,
    LF_TERRAIN_DATA = 1019,
    LF_AIRPORT = 1020,
    LF_OBSTACLE = 1021,
    LF_DOWNLOAD_RECORDING = 1023,
    LF_ERASE_RECORDING = 1024,
    LF_OVERLAY = 1025,
    LF_NO_GAMMA_CONFIG = 1035,
    LF_OS_IMAGE = 1045,
    LF_BOOT_IMAGE = 1046,
    LF_BLOCK_TEST = 1074,
};
