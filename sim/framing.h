#pragma once
// The unit's side of the link framing: framed blocks coming in, framed
// packets going out.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr uint8_t DLE = 0x10;
constexpr uint8_t NAK = 0x15;
constexpr uint8_t ACK = 0x06;
constexpr uint8_t CAN = 0x18;

struct SimFrame {
    uint8_t type = 0;          // 'C', 'D', or the byte of a bare marker
    uint32_t address = 0;
    std::vector<uint8_t> payload;
    bool payload_ok = false;   // payload check matched
};

// Reads one block after its DLE, byte by byte: type, 10 header bytes with
// their check, the payload (DLE doubled where the block is stuffed) and the
// payload check.
class FrameReader {
public:
    enum class Step { more, done, failed };
    // `stuff_data`: data blocks double their DLEs (control blocks always do).
    void start(bool stuff_data);
    bool active() const { return stage_ != Stage::idle; }
    Step feed(uint8_t byte);
    void stop() { stage_ = Stage::idle; }
    const SimFrame& frame() const { return frame_; }
    const std::string& failure() const { return failure_; }

private:
    enum class Stage { idle, type, header, payload, check };
    Step fail(std::string why);

    Stage stage_ = Stage::idle;
    bool stuff_data_ = false;
    bool stuffed_ = false;
    bool dle_pending_ = false;
    uint8_t header_[10] = {};
    uint8_t check_[4] = {};
    std::size_t count_ = 0;
    std::size_t length_ = 0;
    uint32_t reg_ = 0;
    SimFrame frame_;
    std::string failure_;
};

// One packet as the unit sends it: DLE, type, 4-byte length, 2 spare bytes,
// header check, then the payload and its check with every DLE doubled.
// `spoil_check` sends a wrong payload check.
std::vector<uint8_t> sim_packet(uint8_t type, const uint8_t* payload, std::size_t size, bool spoil_check);
