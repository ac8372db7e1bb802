#include "records/history_file.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/append_file.h"
#include "platform/paths.h"
#include "records/record_json.h"

namespace {
constexpr const char* folder_name = "Load Records";
}

std::string history_path(const std::string& top) {
    const std::optional<std::string> folder = path_join(top, folder_name);
    return folder ? path_join(*folder, "history.jsonl").value_or(std::string()) : std::string();
}

bool append_history_record(const std::string& top, const LoadRecord& record, std::string& error) {
    const std::string path = history_path(top);
    if (path.empty()) {
        error = "the path of the load history is too long";
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    if (ec) {
        error = ec.message();
        return false;
    }
    return append_line(path, record_json_line(record), error);
}

HistoryRead read_history(const std::string& path) {
    HistoryRead read;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return read;
    read.found = true;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        read.error = "cannot open " + path;
        return read;
    }
    std::string line;
    for (std::size_t number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (std::optional<LoadRecord> record = record_from_json(line))
            read.records.push_back(std::move(*record));
        else
            read.warnings.push_back(path + ": line " + std::to_string(number) + " is not a load record; skipped");
    }
    if (in.bad()) read.error = "cannot read " + path;
    return read;
}
