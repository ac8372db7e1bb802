#pragma once
// The staging stream: where the earlier-generation writers (send_block_serial,
// the system software mode command, the baud commands) put their bytes. Either
// a staging file that is sent to the unit afterwards, or the port itself.
#include <cstddef>
#include <cstdio>
#include <string>

struct StagingStream {
    std::FILE* file = nullptr;
    bool to_port = false;
};

// Opens `path` for writing (binary, truncating); false when it cannot be made.
[[nodiscard]] bool staging_open_file(const std::string& path);
// Makes the port the staging stream: every byte goes out as it is written.
void staging_open_port();
bool staging_is_open();
// False when not every byte reached the file or the port, and when no
// staging stream is open: bytes with nowhere to go are not sent.
[[nodiscard]] bool staging_write(const void* data, std::size_t size);
void staging_close();
