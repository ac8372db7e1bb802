#pragma once
// The simulated HTAWS unit: the unit's side of the link, fed with the bytes the
// uploader writes and producing the bytes it reads, on a caller-supplied clock
// (the virtual clock in-process, the real clock in htaws-unit-sim).
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

// The P table fields the uploader reads (offsets in the table, big-endian).
struct SimPTable {
    uint32_t hardware_id = 0x34019000;     // 248; generation 4 when it matches 0x3401/0x3402 9xxx
    uint32_t unit_number = 0x12345678;     // 244 (generation 4), 208 (generation 1)
    uint32_t airport_mask = 0x00000003;    // 200
    uint32_t terrain_mask = 0x00000006;    // 204
    uint32_t obstacle_mask = 0x00000003;   // 208 (generation 4)
    uint32_t overlay_mask = 0x00000003;    // 212
    uint32_t airport_mask_earlier = 0x3;   // 224
    uint32_t terrain_mask_earlier = 0x3;   // 228
    uint32_t map_memory_start = 0x00100000;  // 12
    uint32_t relocation_base = 0x00100000;   // 28
    uint32_t map_memory_end = 0x00400000;    // 40
};

// Free-space reply to "DF": A blocks, B (unused by the uploader), C bytes per block.
struct SimFreeSpace {
    uint32_t blocks = 0x00010000;
    uint32_t other = 0;
    uint32_t block_size = 0x00001000;
};

// Busy/continue pacing of load bytes: after every `nak_every` bytes of a load
// the unit sends NAK, and ACK `busy_ms` later. `naks_per_pause` above 1 sends
// further NAKs spread over the pause (a NAK storm). Once the NAK is out the
// unit's buffer takes `room_after_nak` more bytes (the rest of a sender's
// write in flight); every further byte before the ACK is lost. Bytes that come
// within `nak_travel_ms` of the NAK are not counted: the time a link may take
// to hand the NAK to the sender.
struct SimPacing {
    uint32_t nak_every = 0;  // 0: never busy
    uint32_t busy_ms = 100;
    uint32_t naks_per_pause = 1;
    uint32_t room_after_nak = 8192;
    uint32_t chatter_ms = 0;  // not 0: a pause sends a text line this often for a minute and no ACK
    uint32_t nak_travel_ms = 0;
};

struct SimFaults {
    bool silent = false;                   // answers nothing at all
    std::string refused_modes;             // mode letters answered "NO" ("P", "MT", ...; "PT" the block test)
    std::set<std::string> unanswered;      // command words ignored entirely ("DF", "P", "QT", ...)
    bool err_during_body = false;          // "ERR" text when a load's last byte arrives
    long err_at_body_byte = -1;            // "ERR" text once a body (or an image's data blocks) holds this many bytes (-1 never)
    char corrupt_table = 0;                // table letter sent with a wrong check ('P', 'T', ...)
    int corrupt_packet = -1;               // packet number (from 0, per "H") with a wrong check
    long corrupt_recording = -1;           // with corrupt_packet: only in this recording (-1: in every one)
    long refused_recording = -1;           // "H" for this recording index answered "NO" (-1 none)
    std::string count_reply;               // answer to "RC" in place of "<count> recordings OK" (empty: that)
    int refused_blocks = 0;                // earlier generation: first N data blocks answered "NO"
    int flash_retries = 0;                 // earlier generation: "Retry" answers before the flash write
    bool flash_fails = false;              // earlier generation: the flash write answers "ERR"
    bool flash_never_ends = false;         // earlier generation: "Begin" lines for hours, no verdict
    int silent_blocks = 0;                 // earlier generation: first N data blocks get no answer
    uint32_t answers_up_to_baud = 0;       // earlier generation: blocks are garbled above this rate (0: any rate)
    long cable_pulled_after = -1;          // bytes received before the link dies (-1 never)
    long cable_pulled_after_sent = -1;     // bytes sent (taken by the uploader) before the link dies (-1 never)
    uint32_t trickle_ms = 0;               // replies go out one byte every trickle_ms (0: at once)
    bool bare_delete_answer = false;       // "DDB" answered "OK" without the erased database's detail
    long restart_after = -1;               // bytes received before the unit restarts and greets again (-1 never)
    bool garbled_block_answer = false;     // the answer to a control block it took arrives spoiled ("0K")
};

struct SimConfig {
    int generation = 4;                    // 4 current, 1 earlier (command set and P table layout)
    SimPTable p_table;
    // Contents of the QT, QB, QN and QY tables (checks are added when sent).
    std::array<std::array<uint8_t, 256>, 4> other_tables = default_other_tables();
    std::vector<std::string> parameters = default_parameters();  // "name 0xhhhhhhhh" lines
    std::vector<std::vector<uint8_t>> recordings;                // index 0 first
    std::size_t packet_size = 4096;        // payload bytes per recording packet
    SimFreeSpace free_space;
    SimPacing pacing;
    uint32_t reply_latency_ms = 0;         // delay before each reply becomes readable
    uint32_t flash_ms = 0;                 // earlier generation: time the flash write takes
    // Earlier generation: before that time, a "Begin write" progress line
    // every 5 s for this long (a slow flash, or one that never ends).
    uint32_t flash_progress_ms = 0;
    std::string line_end = "\r\n";         // ends every reply line: "\r\n", "\n" or "\r"
    std::size_t keep_load_bytes = 64u << 20;  // load bytes kept in SimLoad::data
    SimFaults faults;

    static std::array<std::array<uint8_t, 256>, 4> default_other_tables();
    static std::vector<std::string> default_parameters();
};

// One transcript entry. Received lines appear as their text without line
// ends; binary traffic as summaries: "<CAN x8>", "C block 256 bytes",
// "D block 1024 bytes at 0x00000400", "body 5000 bytes", "table P",
// "packet D 4096 bytes", "<NAK>", "<ACK>". Notes carry verdicts and faults.
// Anomalies are what a real unit refuses or loses: a line of the wrong form,
// a misplaced or wrong control block, bytes past a body or sent while the
// unit holds the sender, a wrong running count; each says what was wrong.
struct SimEvent {
    enum Kind { received, sent, note, anomaly } kind;
    uint64_t at_ms;
    std::string text;
};

// What the unit took in after a mode command ("M", "P", "T") or "PT".
struct SimLoad {
    std::string mode;
    std::vector<uint8_t> control_block;    // 256 bytes as received (empty for "PT")
    std::string name;                      // id text of the control block (offset 8)
    uint64_t length = 0;                   // body bytes received
    uint32_t checksum = 0;                 // load checksum (final value) of the body
    std::vector<uint8_t> data;             // raw body, or data blocks placed at their addresses
    bool accepted = false;
    std::string verdict;                   // "accepted" or why not
};

class SimUnit {
public:
    explicit SimUnit(SimConfig config = {});
    ~SimUnit();
    SimUnit(const SimUnit&) = delete;
    SimUnit& operator=(const SimUnit&) = delete;

    // Bytes written by the uploader at time `now` (ms).
    void receive(const uint8_t* data, std::size_t size, uint64_t now);
    // Number of bytes the uploader can read at time `now`.
    std::size_t available(uint64_t now);
    // Takes up to `size` readable bytes.
    std::size_t take(uint8_t* data, std::size_t size, uint64_t now);
    // Drops every byte readable at `now` (a purge of the receive queue).
    void discard(uint64_t now);
    // False once the simulated cable is pulled.
    bool connected() const;

    // Bytes the unit has received since it was made.
    uint64_t bytes_received() const;
    const std::vector<SimEvent>& transcript() const;
    // The transcript one event a line, each after its mark and a space.
    std::string transcript_text() const;
    // The texts of the anomaly events, in order.
    std::vector<std::string> anomalies() const;
    const std::vector<SimLoad>& loads() const;
    // The parameter lines as the unit holds them now (after any "WP").
    const std::vector<std::string>& parameters() const;
    // The recordings the unit holds now (none after "ER").
    const std::vector<std::vector<uint8_t>>& recordings() const;
    // The configuration in force; a test may change it (a fault) between calls.
    SimConfig& config();

    struct State;

private:
    std::unique_ptr<State> state_;
};

// The mark of an event kind in transcripts: '>' received, '<' sent, '#' note, '!' anomaly.
char sim_event_mark(SimEvent::Kind kind);

// The 256 P table bytes the unit reports for this configuration.
std::array<uint8_t, 256> sim_p_table(const SimConfig& config);
