// The uploader's readers of the unit's bytes: a table reply, framed packets
// read in pieces, and reply lines. The first input byte picks the reader and
// the packet piece size.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_port.h"
#include "link/commands.h"
#include "link/connection.h"
#include "link/serial.h"

namespace {
// As the recordings download reads: each call stores at most `limit` fresh
// bytes, and a call that stores none ends the packet. Every other call takes
// at least one byte of the finite input, so the loop ends.
void read_packets(uint32_t limit) {
    std::vector<uint8_t> buffer(limit);
    for (int packets = 0; packets < 4; ++packets) {
        int rc;
        for (int call = 0;; ++call) {
            uint64_t total = 0;
            uint32_t count = 0;
            rc = read_htaws_packet(buffer.data(), total, count, limit, call);
            if (count > limit) std::abort();
            if (rc < 0 || count == 0) break;
        }
        if (rc < 0) return;
    }
}

void read_lines() {
    char line[64];
    while (unit_read_line(line, sizeof line, 1000) >= 0)
        if (std::strlen(line) >= sizeof line) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    fuzz_unit_connect(data + 1, size - 1);
    switch (data[0] % 3) {
        case 0: {
            UnitTable table;
            read_unit_table(table);
            break;
        }
        case 1: read_packets(1 + data[0] / 3 % 200); break;
        default: read_lines(); break;
    }
    unit_close_port();
    return 0;
}
