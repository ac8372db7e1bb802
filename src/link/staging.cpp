#include "link/staging.h"

#include "link/serial.h"

bool staging_open_file(const std::string& path) {
    staging_close();
    g_link.staging_stream.file = std::fopen(path.c_str(), "wb");
    return g_link.staging_stream.file != nullptr;
}

void staging_open_port() {
    staging_close();
    g_link.staging_stream.to_port = true;
}

bool staging_is_open() { return g_link.staging_stream.file || g_link.staging_stream.to_port; }

bool staging_write(const void* data, std::size_t size) {
    StagingStream& s = g_link.staging_stream;
    if (s.to_port) return unit_write_all(data, size);
    return s.file && std::fwrite(data, 1, size, s.file) == size;
}

void staging_close() {
    StagingStream& s = g_link.staging_stream;
    if (s.file) std::fclose(s.file);
    s = StagingStream{};
}
