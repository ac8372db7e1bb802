#include "link/serial.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "formats/byte_order.h"
#include "formats/crc.h"
#include "link/commands.h"
#include "link/responsive_wait.h"
#include "platform/clock.h"
#include "platform/serial.h"
#include "platform/window.h"

LinkState g_link;

namespace {
constexpr int open_attempts = 6;
constexpr uint32_t open_retry_ms = 500;
constexpr std::size_t driver_queue_bytes = 8192;
constexpr std::size_t chunk_bytes = 8192;
constexpr std::size_t block_payload_max = 65535;
constexpr std::size_t serial_payload_max = 4096;
constexpr std::size_t frame_header_bytes = 10;
constexpr uint64_t serial_header_limit_ms = 200;
constexpr uint64_t serial_payload_limit_ms = 4296;

uint64_t elapsed_since(uint64_t start) { return now_ms() - start; }

// A write counts only once the bytes have left the driver: a flush that fails
// or does not complete fails the write like a refused write does. Without
// `flush` the caller flushes once after a run of writes.
bool write_bytes(const uint8_t* data, std::size_t size, bool clear_errors, bool flush = true) {
    uint64_t progress_at = now_ms();
    WindowPacing pacing = start_window_pacing();
    while (size > 0) {
        if (clear_errors && !serial_clear_errors(g_link.port_handle)) break;
        const long written = serial_write(g_link.port_handle, data, size);
        if (written < 0) break;
        if (written > 0) {
            if (flush && !serial_flush(g_link.port_handle)) break;
            data += written;
            size -= std::size_t(written);
            progress_at = now_ms();
            continue;
        }
        if (elapsed_since(progress_at) >= write_stall_limit_ms) break;
        sleep_ms(1);
        // A page handler may have ended the conversation meanwhile.
        if (!yield_when_due(pacing) || !g_link.port_handle) return false;
    }
    if (size > 0) g_link.port_failed = true;
    return size == 0;
}

void clear_block_reply() {
    std::fill_n(g_link.block_reply.begin(), g_link.block_reply_fill, uint8_t{0});
    g_link.block_reply_fill = 0;
}

// Reads everything queued, first waiting up to `wait_ms` for it, and follows
// the unit's busy state byte by byte. Text beyond block_reply's room is
// dropped. -1 when the device is gone, else whether anything arrived.
int take_replies(bool& busy, uint32_t wait_ms = 0) {
    bool arrived = false;
    for (;;) {
        std::array<uint8_t, 256> bytes;
        const long got = serial_read_within(g_link.port_handle, bytes.data(), bytes.size(), arrived ? 0 : wait_ms);
        if (got < 0) {
            g_link.port_failed = true;
            return -1;
        }
        if (got == 0) return arrived ? 1 : 0;
        for (long i = 0; i < got; ++i) {
            const uint8_t b = bytes[i];
            if (b == NAK) {
                busy = true;
            } else if (b == ACK) {
                busy = false;
            } else if (g_link.block_reply_fill < g_link.block_reply.size()) {
                g_link.block_reply[g_link.block_reply_fill++] = b;
            }
        }
        arrived = true;
    }
}

// After a chunk: a NAK pauses the sender until the ACK, for ack_wait_limit_ms
// in all however much else the unit sends meanwhile. The sender goes on as
// soon as the ACK is in, and the pages run every window_slice_ms meanwhile.
bool wait_while_busy() {
    bool busy = false;
    if (take_replies(busy) < 0) return false;
    const uint64_t busy_since = now_ms();
    WindowPacing pacing = start_window_pacing();
    while (busy) {
        const uint64_t waited = elapsed_since(busy_since);
        if (waited >= ack_wait_limit_ms) return false;
        const uint32_t slice = uint32_t(std::min<uint64_t>(ack_wait_limit_ms - waited, window_slice_ms));
        if (take_replies(busy, slice) < 0) return false;
        if (!yield_when_due(pacing) || !g_link.port_handle) return false;
    }
    return true;
}

void append_be32(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(uint8_t(value >> 24));
    out.push_back(uint8_t(value >> 16));
    out.push_back(uint8_t(value >> 8));
    out.push_back(uint8_t(value));
}

// The ten header bytes, the payload (each DLE doubled when `stuff` is set) and
// the payload check.
void build_frame(std::vector<uint8_t>& out, char type, const uint8_t* payload, std::size_t length,
                 uint32_t address, bool stuff) {
    out.clear();
    out.reserve(frame_header_bytes + 2 * length + 4);
    out.push_back(uint8_t(length >> 8));
    out.push_back(uint8_t(length));
    append_be32(out, address);
    uint32_t reg;
    crc_begin(reg);
    crc_add_byte(reg, DLE);
    crc_add_byte(reg, uint8_t(type));
    crc_add_bytes(reg, out.data(), 6);
    append_be32(out, reg);
    for (std::size_t i = 0; i < length; ++i) {
        out.push_back(payload[i]);
        if (stuff && payload[i] == DLE) out.push_back(DLE);
    }
    crc_begin(reg);
    crc_add_span(reg, payload, length);
    append_be32(out, reg);
}

bool is_block_type(char type) { return type == 'C' || type == 'D'; }

// Each byte its own write; the unit's replies are taken after every byte
// that input may have come with.
BlockEnd send_watched(const std::vector<uint8_t>& bytes) {
    WindowPacing pacing = start_window_pacing();
    for (const uint8_t& b : bytes) {
        static_cast<void>(yield_when_due(pacing));
        if (!g_link.port_handle) return BlockEnd::port_not_open;
        if (g_commands.abort_requested || g_link.port_failed) return BlockEnd::write_failed;
        if (serial_write(g_link.port_handle, &b, 1) != 1 && !write_bytes(&b, 1, false, false))
            return BlockEnd::write_failed;
        if (serial_input_arrived(g_link.port_handle) && !wait_while_busy()) return BlockEnd::write_failed;
    }
    return BlockEnd::sent;
}

int read_packet_start(PacketReader& r) {
    int c;
    for (;;) {
        const uint64_t deadline = now_ms() + packet_start_limit_ms;
        do {
            c = unit_get_byte_before(deadline);
        } while (c != DLE && now_ms() < deadline && unit_port_usable() && !g_commands.abort_requested);
        if (c != DLE || now_ms() > deadline) return PACKET_NO_START;
        c = unit_get_byte();
        if (c < 0) return PACKET_FRAMING;
        if (c == DLE) continue;
        if (c != 'D' && c != 'X') return PACKET_BAD_TYPE;
        break;
    }
    r.type = c;
    r.dle_pending = false;
    crc_begin(r.reg);
    crc_add_byte(r.reg, DLE);
    crc_add_byte(r.reg, uint8_t(c));
    std::array<uint8_t, frame_header_bytes> header;
    for (uint8_t& b : header) {
        c = unit_get_byte();
        if (c < 0) return PACKET_HEADER_READ;
        b = uint8_t(c);
    }
    crc_add_bytes(r.reg, header.data(), 6);
    if (get_be32(header.data() + 6) != r.reg) return PACKET_HEADER_CHECK;
    r.expected = r.total = uint64_t(get_be32(header.data())) + 4;
    crc_begin(r.reg);
    return 0;
}
}  // namespace

void reset_link_state() {
    unit_close_port();
    staging_close();
    g_link = LinkState{};
}

bool unit_open_port() {
    // The port is opened exclusively, so an open handle would refuse our own open.
    unit_close_port();
    if (!g_link.port_found) return false;
    SerialPort* port = nullptr;
    for (int attempt = 1; !port; ++attempt) {
        port = serial_open(g_link.port_name);
        if (!port && (attempt == open_attempts || !wait_responsive(open_retry_ms))) return false;
    }
    serial_set_queues(port, driver_queue_bytes, driver_queue_bytes);
    serial_zero_timeouts(port);
    serial_purge(port);
    g_link.port_handle = port;
    g_link.port_failed = false;
    // Bytes of an earlier conversation are no reply to the next command.
    g_link.rx_count = g_link.rx_next = 0;
    return true;
}

bool unit_close_port() {
    if (!g_link.port_handle) return false;
    serial_close(g_link.port_handle);
    g_link.port_handle = nullptr;
    return true;
}

bool unit_port_usable() { return g_link.port_found && g_link.port_handle && !g_link.port_failed; }

bool unit_write_all(const void* data, std::size_t size) {
    return unit_port_usable() && write_bytes(static_cast<const uint8_t*>(data), size, true);
}

bool unit_put_byte(uint8_t byte) { return unit_write_all(&byte, 1); }

int unit_get_byte() { return unit_get_byte_within(byte_wait_limit_ms); }

int unit_get_byte_within(uint32_t wait_ms) {
    if (!g_link.port_found || !g_link.port_handle) return -1;
    if (g_link.rx_next < g_link.rx_count) return g_link.rx_buffer[g_link.rx_next++];
    if (g_link.port_failed) return -1;
    const uint64_t start = now_ms();
    WindowPacing pacing = start_window_pacing();
    for (;;) {
        // The system's own wait, a window slice at a time.
        const uint64_t waited = elapsed_since(start);
        const uint32_t slice = uint32_t(std::min<uint64_t>(wait_ms - std::min<uint64_t>(waited, wait_ms), window_slice_ms));
        const long got = serial_read_within(g_link.port_handle, g_link.rx_buffer.data(), g_link.rx_buffer.size(), slice);
        if (got < 0) break;
        if (got > 0) {
            g_link.rx_count = std::size_t(got);
            g_link.rx_next = 1;
            return g_link.rx_buffer[0];
        }
        // A page handler may have closed the port or asked to stop meanwhile.
        if (!yield_when_due(pacing) || !g_link.port_handle) return -1;
        if (elapsed_since(start) >= wait_ms) return -1;
    }
    g_link.port_failed = true;
    return -1;
}

int unit_get_byte_before(uint64_t deadline) {
    const uint64_t now = now_ms();
    const uint64_t left = now < deadline ? deadline - now : 0;
    return unit_get_byte_within(uint32_t(std::min<uint64_t>(left, byte_wait_limit_ms)));
}

bool write_multi_byte(const void* data, std::size_t length) {
    if (!g_link.port_found || !g_link.port_handle) return false;
    clear_block_reply();
    // After each chunk the unit's bytes are taken when any came (the port is
    // watched from now on), and a NAK among them holds the sender.
    serial_watch_input(g_link.port_handle, true);
    auto next = static_cast<const uint8_t*>(data);
    while (length > 0) {
        const std::size_t chunk = std::min(length, chunk_bytes);
        yield_to_window();
        // A page handler that ran just now may have ended the conversation.
        if (!g_link.port_handle || g_commands.abort_requested) return false;
        if (g_link.port_failed || !write_bytes(next, chunk, false)) return false;
        if (serial_input_arrived(g_link.port_handle) && !wait_while_busy()) return false;
        next += chunk;
        length -= chunk;
    }
    return true;
}

void keep_block_reply_for_reading(std::size_t from) {
    auto& rx = g_link.rx_buffer;
    const std::size_t unread = g_link.rx_count - g_link.rx_next;
    from = std::min(from, g_link.block_reply_fill);
    const std::size_t kept = std::min(g_link.block_reply_fill - from, rx.size() - unread);
    std::memmove(rx.data() + kept, rx.data() + g_link.rx_next, unread);
    std::memcpy(rx.data(), g_link.block_reply.data() + from, kept);
    g_link.rx_next = 0;
    g_link.rx_count = kept + unread;
}

void UnitTextWatch::add(std::string_view part) {
    tail_ += part;
    if (tail_.find("ERR") != std::string::npos || tail_.find(unit_greeting) != std::string::npos) seen_ = true;
    const std::size_t keep = unit_greeting.size() - 1;
    if (tail_.size() > keep) tail_.erase(0, tail_.size() - keep);
}

bool reply_has_no_error() {
    const auto begin = g_link.block_reply.begin();
    const auto end = std::find(begin, begin + g_link.block_reply_fill, uint8_t{0});
    UnitTextWatch watch;
    watch.add(std::string_view(reinterpret_cast<const char*>(g_link.block_reply.data()), std::size_t(end - begin)));
    return !watch.seen();
}

BlockEnd send_block(char type, const void* data, std::size_t length, uint32_t address) {
    if (!g_link.port_handle) return BlockEnd::port_not_open;
    if (is_block_type(type) && length > block_payload_max) return BlockEnd::too_long;
    const uint8_t marker[2] = {DLE, uint8_t(type)};
    if (!write_multi_byte(marker, sizeof marker)) return BlockEnd::write_failed;
    if (!is_block_type(type)) return BlockEnd::sent;
    build_frame(g_link.block_stage, type, static_cast<const uint8_t*>(data), length, address, type == 'C');
    // Byte by byte, so that the unit's NAK stops the sender after any byte:
    // a NAK that has arrived is seen before the next byte goes. The port is
    // watched, so that it is read only when something came.
    // The driver is flushed once, after the last byte: the block counts as
    // sent only when all of it has left the driver. block_reply keeps what the
    // unit said from the marker on.
    serial_watch_input(g_link.port_handle, true);
    if (const BlockEnd sent = send_watched(g_link.block_stage); sent != BlockEnd::sent) return sent;
    if (!serial_flush(g_link.port_handle)) {
        g_link.port_failed = true;
        return BlockEnd::write_failed;
    }
    return BlockEnd::sent;
}

BlockEnd send_block_serial(char type, const void* data, std::size_t length, uint32_t address) {
    if (!g_link.port_handle) return BlockEnd::port_not_open;
    if (length > serial_payload_max) return BlockEnd::too_long;
    const uint8_t marker[2] = {DLE, uint8_t(type)};
    if (!staging_write(marker, sizeof marker)) return BlockEnd::write_failed;
    if (!is_block_type(type)) return BlockEnd::sent;
    std::vector<uint8_t>& stage = g_link.serial_stage;
    build_frame(stage, type, static_cast<const uint8_t*>(data), length, address, true);
    const uint64_t header_start = now_ms();
    if (!staging_write(stage.data(), frame_header_bytes)) return BlockEnd::write_failed;
    if (elapsed_since(header_start) > serial_header_limit_ms) return BlockEnd::too_slow;
    const uint64_t payload_start = now_ms();
    if (!staging_write(stage.data() + frame_header_bytes, stage.size() - frame_header_bytes))
        return BlockEnd::write_failed;
    if (elapsed_since(payload_start) > serial_payload_limit_ms) return BlockEnd::too_slow;
    return BlockEnd::sent;
}

int read_htaws_packet(uint8_t* buffer, uint64_t& total_length, uint32_t& count, uint32_t limit, int continuing) {
    PacketReader& r = g_link.packet;
    if (!continuing) {
        const int start = read_packet_start(r);
        if (start < 0) return start;
    }
    total_length = r.total;
    std::size_t stored = 0;
    while (r.expected > 0 && count < limit) {
        const int c = unit_get_byte();
        if (c < 0) return PACKET_PAYLOAD_READ;
        if (c == DLE) {
            r.dle_pending = !r.dle_pending;
            if (r.dle_pending) continue;
        } else if (r.dle_pending) {
            return PACKET_FRAMING;
        }
        if (r.expected > 4) {
            crc_add_byte(r.reg, uint8_t(c));
            buffer[stored++] = uint8_t(c);
            ++count;
        } else {
            r.check[4 - r.expected] = uint8_t(c);
        }
        --r.expected;
    }
    if (r.expected > 0) return r.type;
    return get_be32(r.check.data()) == r.reg ? r.type : PACKET_PAYLOAD_CHECK;
}
