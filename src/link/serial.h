#pragma once
// The unit link at byte level: the port, single bytes in and out, blocks with
// the unit's NAK/ACK flow control, framed blocks out and framed packets in.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "link/staging.h"

struct SerialPort;

inline constexpr uint8_t DLE = 0x10;
inline constexpr uint8_t ACK = 0x06;
inline constexpr uint8_t NAK = 0x15;
inline constexpr uint8_t CAN = 0x18;

// Bounds of the waits of this layer. A silent unit or a pulled cable ends each
// of them, and the operation fails through its caller's usual failure path.
// unit_get_byte: longest wait for a byte (callers with a deadline of their own
// wait up to that instead). Inside a line, a table or a packet the unit sends
// without pause, so a gap this long means it has stopped.
inline constexpr uint32_t byte_wait_limit_ms = 5000;
// unit_put_byte and write_multi_byte: longest time the driver may take no byte
// at all before the write counts as failed.
inline constexpr uint32_t write_stall_limit_ms = 5000;
// write_multi_byte after a NAK: longest wait for the ACK, counted from the
// NAK; ACK normally follows within a few seconds.
inline constexpr uint32_t ack_wait_limit_ms = 20000;
// read_htaws_packet: the unit's packet must start within this time.
inline constexpr uint32_t packet_start_limit_ms = 20000;

// Where read_htaws_packet is between calls: from the DLE of one packet to its
// last check byte.
struct PacketReader {
    int type = 0;
    uint64_t expected = 0;  // payload and check bytes still to come
    uint64_t total = 0;     // payload length + 4
    uint32_t reg = 0;
    std::array<uint8_t, 4> check{};
    bool dle_pending = false;
};

struct LinkState {
    bool port_found = false;
    std::string port_name;
    // The one port the unit is looked for on; empty: every "Gadget Serial" port.
    std::string only_port;
    bool current_link_seen = false;  // set when a port is first found, kept for the run
    SerialPort* port_handle = nullptr;
    // The device vanished or stopped taking bytes since the port was opened:
    // every read and write fails at once until the port is opened again.
    bool port_failed = false;
    // What the port gave and the readers have not taken yet; a recording's
    // whole packet fits, so a packet costs the system one read or a few.
    std::array<uint8_t, 4096> rx_buffer{};
    std::size_t rx_count = 0;
    std::size_t rx_next = 0;
    // What the unit sent during the last write_multi_byte call, NAK and ACK
    // removed; bytes past block_reply_fill are zero.
    std::array<uint8_t, 512> block_reply{};
    std::size_t block_reply_fill = 0;
    std::vector<uint8_t> block_stage;   // one framed block of send_block
    std::vector<uint8_t> serial_stage;  // one framed block of send_block_serial
    StagingStream staging_stream;
    PacketReader packet;
};
extern LinkState g_link;

// Closes the port and the staging stream and forgets everything.
void reset_link_state();

// True open; false not (no port found, six opens 500 ms apart failed, or
// abort_requested was set while waiting between them).
[[nodiscard]] bool unit_open_port();
// True when a port was closed, false when none was open.
bool unit_close_port();
// True while the port is open and has not failed.
bool unit_port_usable();

// True when the byte went out; false when the port is not usable, the write
// failed or the driver stalled.
[[nodiscard]] bool unit_put_byte(uint8_t byte);
// Writes every byte, without flow control, flushing after each write; false
// when the port is not usable, a write or flush failed or the driver stalled.
[[nodiscard]] bool unit_write_all(const void* data, std::size_t size);
// The next byte, or -1: port not open or failed, nothing within
// byte_wait_limit_ms, or a page handler run while waiting closed the port or
// set abort_requested.
[[nodiscard]] int unit_get_byte();
// The same with the wait bounded by the caller (0: only what is queued).
[[nodiscard]] int unit_get_byte_within(uint32_t wait_ms);
// The same with the wait ending at `deadline` (now_ms time) and never longer
// than byte_wait_limit_ms: how readers bound a whole reply, not only its bytes.
[[nodiscard]] int unit_get_byte_before(uint64_t deadline);

// True when all of it was written; false when the port is not open or was
// closed meanwhile, abort_requested was set, a write failed, the driver
// stalled or the unit stayed busy for ack_wait_limit_ms after its NAK.
[[nodiscard]] bool write_multi_byte(const void* data, std::size_t length);
// Hands what the unit sent during the last write_multi_byte call to the line
// reader as well, ahead of anything not yet read: an answer that came while a
// block's last byte was written is then the next reply line. block_reply keeps
// it. `from`: where in block_reply the text handed over starts.
void keep_block_reply_for_reading(std::size_t from = 0);
// What the unit says after it has started, and after the wake-up bytes.
inline constexpr std::string_view unit_greeting = "OK: Ready for commands.";

// The unit's text during a transfer, taken in parts as it comes, for a failure
// report that may straddle two parts: an "ERR", or the unit's greeting (it
// restarted and lost what it had been sent).
class UnitTextWatch {
public:
    void add(std::string_view part);
    bool seen() const { return seen_; }

private:
    std::string tail_;
    bool seen_ = false;
};

// True when block_reply (read as a text) reports no failure as UnitTextWatch
// judges it.
[[nodiscard]] bool reply_has_no_error();

// How send_block and send_block_serial ended.
enum class BlockEnd {
    sent,
    port_not_open,
    too_long,  // over 65535 bytes (send_block), over 4096 (send_block_serial)
    too_slow,  // send_block_serial's time limits
    write_failed,
};
// Frames and sends one block of type 'C' or 'D' (any other type: the DLE and
// type marker alone), each byte flow-controlled.
[[nodiscard]] BlockEnd send_block(char type, const void* data, std::size_t length, uint32_t address);
// The earlier-generation framing, written into the staging stream; with no
// staging stream open nothing can be sent and the result is BlockEnd::write_failed.
[[nodiscard]] BlockEnd send_block_serial(char type, const void* data, std::size_t length, uint32_t address);

// Results of read_htaws_packet besides the packet type.
enum : int {
    PACKET_NO_START = -1,
    PACKET_FRAMING = -2,  // also: no type byte
    PACKET_HEADER_READ = -3,
    PACKET_PAYLOAD_READ = -4,
    PACKET_HEADER_CHECK = -5,
    PACKET_PAYLOAD_CHECK = -6,
    PACKET_BAD_TYPE = -7,
};
// Reads one packet, or with `continuing` set its next piece: stores up to
// `limit` payload bytes from buffer[0] (the buffer holds at least `limit`
// bytes), adds them to `count` and reports the payload length + 4 in
// `total_length`. Returns 'D' or 'X', or a negative code above.
[[nodiscard]] int read_htaws_packet(uint8_t* buffer, uint64_t& total_length, uint32_t& count, uint32_t limit, int continuing);
