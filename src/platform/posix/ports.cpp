#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/ports.h"

namespace fs = std::filesystem;

namespace {
std::string first_line(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

void sort_by_name(std::vector<std::pair<std::string, PortInfo>>& named, std::vector<PortInfo>& out) {
    std::sort(named.begin(), named.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& entry : named) out.push_back(std::move(entry.second));
}
}  // namespace

std::vector<PortInfo> list_sysfs_ports(const std::string& sysfs_root) {
    std::vector<std::pair<std::string, PortInfo>> named;
    std::error_code ec;
    for (const auto& tty : fs::directory_iterator(fs::path(sysfs_root) / "class" / "tty", ec)) {
        const fs::path device = fs::canonical(tty.path() / "device", ec);
        // A USB interface carries its interface number; its parent is the USB device.
        if (ec || !fs::exists(device / "bInterfaceNumber", ec)) continue;
        const std::string name = tty.path().filename().string();
        named.push_back({name, PortInfo{"/dev/" + name, first_line(device.parent_path() / "product")}});
    }
    std::vector<PortInfo> ports;
    sort_by_name(named, ports);
    return ports;
}

std::vector<PortInfo> list_virtual_ports(const std::string& folder) {
    struct stat st{};
    if (lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid() ||
        (st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return {};
    std::vector<std::pair<std::string, PortInfo>> named;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (!entry.is_symlink(ec)) continue;
        const fs::path target = fs::read_symlink(entry.path(), ec);
        if (ec) continue;
        const std::string name = entry.path().filename().string();
        named.push_back({name, PortInfo{target.string(), name}});
    }
    std::vector<PortInfo> ports;
    sort_by_name(named, ports);
    return ports;
}

std::vector<PortInfo> list_unit_links(const std::string& dev_folder, const std::vector<PortInfo>& listed) {
    std::error_code ec;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dev_folder, ec)) {
        const std::string name = entry.path().filename().string();
        const bool numbered = name.rfind("htaws-unit-", 0) == 0 && name.size() > 11 &&
                              name.find_first_not_of("0123456789", 11) == std::string::npos;
        if ((numbered || name == "htaws-unit") && entry.is_symlink(ec)) names.push_back(name);
    }
    // "htaws-unit" names the same unit as one of the numbered links: those go first.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        if ((a == "htaws-unit") != (b == "htaws-unit")) return b == "htaws-unit";
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    std::vector<fs::path> devices;
    for (const PortInfo& port : listed) devices.push_back(fs::weakly_canonical(port.device, ec));
    std::vector<PortInfo> ports;
    for (const std::string& name : names) {
        const fs::path link = fs::path(dev_folder) / name;
        const fs::path device = fs::canonical(link, ec);
        if (ec || std::find(devices.begin(), devices.end(), device) != devices.end()) continue;
        devices.push_back(device);
        ports.push_back(PortInfo{link.string(), "Gadget Serial (" + name + ")"});
    }
    return ports;
}

std::string virtual_ports_folder() { return "/tmp/htaws-ports-" + std::to_string(getuid()); }

std::vector<PortInfo> list_serial_ports() {
    std::vector<PortInfo> ports = list_sysfs_ports("/sys");
    for (PortInfo& port : list_unit_links("/dev", ports)) ports.push_back(std::move(port));
    for (PortInfo& port : list_virtual_ports(virtual_ports_folder())) ports.push_back(std::move(port));
    return ports;
}
