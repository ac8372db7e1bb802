#include "records/history_table.h"

#include <algorithm>
#include <filesystem>

#include "records/record_json.h"

namespace {
bool same_run_kind(const LoadRecord& a, const LoadRecord& b) {
    return a.unit_number == b.unit_number && a.function == b.function;
}

// The version loaded, else the first file's name without its folder and extension.
std::string loaded_name(const LoadRecord& r) {
    if (!r.version.empty() || r.files.empty()) return r.version;
    return std::filesystem::path(r.files.front().path).stem().string();
}

// "2026-12-11T08:14:03Z" as "2026-12-11 08:14 UTC".
std::string minute_of(const std::string& utc) { return utc.substr(0, 10) + " " + utc.substr(11, 5) + " UTC"; }
}  // namespace

std::vector<LoadRecord> records_of_unit(const std::vector<LoadRecord>& records, std::optional<uint32_t> unit) {
    std::vector<LoadRecord> chosen;
    for (const LoadRecord& r : records)
        if (!unit || r.unit_number == unit) chosen.push_back(r);
    return chosen;
}

std::vector<LoadRecord> last_per_unit_and_function(const std::vector<LoadRecord>& records) {
    std::vector<LoadRecord> last;
    for (const LoadRecord& r : records) {
        const auto seen = std::find_if(last.begin(), last.end(), [&](const LoadRecord& l) { return same_run_kind(l, r); });
        if (seen == last.end()) last.push_back(r);
        else *seen = r;
    }
    std::stable_sort(last.begin(), last.end(), [](const LoadRecord& a, const LoadRecord& b) {
        if (a.unit_number.has_value() != b.unit_number.has_value()) return a.unit_number.has_value();
        return a.unit_number.value_or(0) < b.unit_number.value_or(0);
    });
    return last;
}

std::string history_line(const LoadRecord& r) {
    std::string line = "unit ";
    line += r.unit_number ? unit_number_text(*r.unit_number) : std::string("unknown");
    line += ": ";
    line += r.function;
    const std::string name = loaded_name(r);
    if (!name.empty()) {
        line += ' ';
        line += name;
    }
    line += r.outcome == "completed" ? (name.empty() ? " run " : " loaded ") : " ";
    line += minute_of(r.utc);
    line += ", ";
    line += r.outcome;
    if (r.outcome != "completed" && !r.message.empty()) {
        line += ": ";
        line += r.message.substr(0, r.message.find('\n'));
    }
    return line;
}
