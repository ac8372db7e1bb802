#include "records/files_sent.h"

namespace {
std::vector<RecordedFile> g_files_sent;
}

void note_file_sent(const std::string& path, uint64_t size, uint32_t checksum) {
    g_files_sent.push_back({path, size, checksum});
}

const std::vector<RecordedFile>& files_sent() { return g_files_sent; }

void files_sent_forget() { g_files_sent.clear(); }
