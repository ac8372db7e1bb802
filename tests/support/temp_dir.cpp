#include "support/temp_dir.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/paths.h"

namespace fs = std::filesystem;

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    const fs::path base = fs::temp_directory_path() /
                          ("htaws-test-" + std::to_string(rd()) + "-" + std::to_string(counter++));
    fs::create_directories(base);
    path_ = base.string();
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string TempDir::file(const std::string& name) const { return path_ + path_separator + name; }

std::string TempDir::write(const std::string& name, const std::string& bytes) const {
    const std::string p = file(name);
    std::ofstream(p, std::ios::binary) << bytes;
    return p;
}

std::string read_whole_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}
