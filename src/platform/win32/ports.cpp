#include <windows.h>
#include <setupapi.h>

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "platform/ports.h"

namespace {
// The device installation class "Ports" (COM and LPT ports).
const GUID ports_class = {0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

constexpr DWORD text_bytes = 256;

// The "PortName" value when it names a COM port: "COM" and a digit.
int com_number(HDEVINFO devices, SP_DEVINFO_DATA& device) {
    HKEY key = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) return -1;
    char name[text_bytes + 1] = {};
    DWORD type = 0;
    DWORD size = text_bytes;
    const LONG rc = RegQueryValueExA(key, "PortName", nullptr, &type, reinterpret_cast<BYTE*>(name), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_SZ) return -1;
    if (std::strlen(name) <= 3 || std::strncmp(name, "COM", 3) != 0 || !std::isdigit(static_cast<unsigned char>(name[3])))
        return -1;
    return std::atoi(name + 3);
}

std::string friendly_name(HDEVINFO devices, SP_DEVINFO_DATA& device) {
    char name[text_bytes + 1] = {};
    if (!SetupDiGetDeviceRegistryPropertyA(devices, &device, SPDRP_FRIENDLYNAME, nullptr,
                                           reinterpret_cast<BYTE*>(name), text_bytes, nullptr))
        return {};
    return name;
}
}  // namespace

std::vector<PortInfo> list_serial_ports() {
    std::vector<PortInfo> ports;
    HDEVINFO devices = SetupDiGetClassDevsA(&ports_class, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE) return ports;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(devices, i, &device); ++i) {
        const int number = com_number(devices, device);
        if (number < 0) continue;
        ports.push_back({"\\\\.\\COM" + std::to_string(number), friendly_name(devices, device)});
    }
    SetupDiDestroyDeviceInfoList(devices);
    return ports;
}
