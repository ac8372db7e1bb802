#include "sim/program/keep.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {
std::string recording_name(std::size_t index) { return "recording-" + std::to_string(index) + ".dat"; }
}  // namespace

KeptContents::KeptContents(std::string folder) : folder_(std::move(folder)) {}

bool KeptContents::write(const std::string& name, const void* bytes, std::size_t size, std::string& error) const {
    // Written under a temporary name and renamed, so that a reader never sees half a file.
    const std::string path = folder_ + "/" + name, partial = path + ".part";
    std::FILE* out = std::fopen(partial.c_str(), "wb");
    bool written = out && (size == 0 || std::fwrite(bytes, 1, size, out) == size);
    if (out && std::fclose(out) != 0) written = false;
    if (written && std::rename(partial.c_str(), path.c_str()) == 0) return true;
    error = "cannot write " + path + ": " + std::strerror(errno);
    std::remove(partial.c_str());
    return false;
}

bool KeptContents::start(SimUnit& unit, std::string& error) {
    if (folder_.empty()) return true;
    const auto& recordings = unit.config().recordings;
    for (std::size_t i = 0; i < recordings.size(); ++i)
        if (!write(recording_name(i), recordings[i].data(), recordings[i].size(), error))
            return false;
    recordings_written_ = recordings.size();
    return update(unit, error);
}

bool KeptContents::update(const SimUnit& unit, std::string& error) {
    if (folder_.empty()) return true;
    for (; recordings_written_ > unit.recordings().size(); --recordings_written_) {
        const std::string path = folder_ + "/" + recording_name(recordings_written_ - 1);
        if (std::remove(path.c_str()) != 0) {
            error = "cannot remove " + path + ": " + std::strerror(errno);
            return false;
        }
    }
    if (!parameters_known_ || unit.parameters() != parameters_written_) {
        std::string text;
        for (const std::string& line : unit.parameters()) text += line + "\n";
        if (!write("parameters.txt", text.data(), text.size(), error)) return false;
        parameters_written_ = unit.parameters();
        parameters_known_ = true;
    }
    std::string notes;
    const std::vector<SimEvent>& events = unit.transcript();
    for (; events_seen_ < events.size(); ++events_seen_)
        if (events[events_seen_].kind == SimEvent::note) notes += events[events_seen_].text + "\n";
    if (!notes.empty() && !append("notes.txt", notes, error)) return false;
    const std::vector<SimLoad>& loads = unit.loads();
    if (loads_written_ == loads.size()) return true;
    std::string list;
    for (; loads_written_ < loads.size(); ++loads_written_) {
        const SimLoad& load = loads[loads_written_];
        char number[24], checksum[16];
        std::snprintf(number, sizeof number, "%02zu", loads_written_);
        std::snprintf(checksum, sizeof checksum, "%08X", unsigned(load.checksum));
        const std::string stem = std::string("load-") + number;
        if (!write(stem + ".control", load.control_block.data(), load.control_block.size(), error) ||
            !write(stem + ".data", load.data.data(), load.data.size(), error))
            return false;
        list += std::string(number) + " " + load.mode + " " + std::to_string(load.length) + " " + checksum + " " +
                load.verdict + " " + load.name + "\n";
    }
    // loads.txt grows by whole lines, after the files they name.
    return append("loads.txt", list, error);
}

bool KeptContents::append(const std::string& name, const std::string& text, std::string& error) const {
    const std::string path = folder_ + "/" + name;
    std::FILE* out = std::fopen(path.c_str(), "ab");
    bool written = out && std::fwrite(text.data(), 1, text.size(), out) == text.size();
    if (out && std::fclose(out) != 0) written = false;
    if (!written) error = "cannot write " + path + ": " + std::strerror(errno);
    return written;
}
