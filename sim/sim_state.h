#pragma once
// The unit's inner state and the operations the command set's files share.
#include <deque>

#include "sim/framing.h"
#include "sim/sim_unit.h"

enum class SimMode {
    command,         // reading command lines
    control_block,   // after a mode command: waiting for the 'C' block
    raw_body,        // current generation: the load's bytes, unframed
    body_end,        // the raw body is complete; the verdict waits for the line to fall quiet
    data_blocks,     // 'D' blocks (and, on the earlier generation, command lines between them)
    test_stream,     // after "PT": bytes until eight CAN
    download,        // a recording packet is out: waiting for "OK"/"NO"
    parameter_list,  // after "WP": parameter lines until an empty line
};

struct SimUnit::State {
    explicit State(SimConfig c) : config(std::move(c)), parameters(config.parameters), recordings(config.recordings) {}

    SimConfig config;
    std::vector<SimEvent> transcript;
    std::vector<SimLoad> loads;
    std::vector<std::string> parameters;
    std::vector<std::vector<uint8_t>> recordings;

    uint64_t now = 0;
    bool cable_in = true;
    uint64_t received_total = 0;
    uint64_t last_byte_at = 0;

    struct Out {
        uint64_t ready;
        uint8_t byte;
    };
    std::deque<Out> out;
    uint64_t last_ready = 0;

    SimMode mode = SimMode::command;
    std::string line;
    std::string line_fault;     // why the line being received is refused already
    bool awaiting_lf = false;   // `line` ended by CR and its command ends with CR LF
    int can_run = 0;

    uint64_t out_total = 0;     // bytes ever queued for the uploader
    uint64_t out_removed = 0;   // of those, taken or discarded
    uint64_t mode_ok_end = 0;   // out_total once the mode's "OK" was queued
    bool block_early = false;   // the control block began before that "OK" was read

    FrameReader frame;
    bool resync = false;        // after a broken block: input is dropped until the line falls quiet
    SimLoad load;               // the load in progress
    bool load_open = false;
    uint64_t expected = 0;      // body bytes the control block announces
    uint32_t body_reg = 0;
    std::string load_fault;     // first fault seen in the load's blocks
    std::string staged;         // an image's staged bytes after its payload

    uint64_t paced = 0;         // load bytes since the last pause
    uint64_t busy_from = 0;     // NAK readable
    uint64_t busy_until = 0;    // ACK readable
    uint64_t held = 0;          // bytes received since the NAK while the unit holds the sender

    std::vector<std::string> new_parameters;  // lines after "WP", stored at the empty line
    bool parameters_refused = false;

    std::size_t recording = 0;  // recording being downloaded
    std::size_t rec_sent = 0;   // its bytes sent so far
    bool rec_end_sent = false;
    bool rec_spoiled = false;   // the packet out has a wrong check: the uploader owes "NO"
    int packet_number = 0;

    int refusals_left = 0;
    int flash_retries_left = 0;
    uint64_t announced_size = 0;
    std::string announced_kind;     // "terrain header" or "terrain data"
    uint32_t link_baud = 115200;    // the rate of the last "BR"
    bool restart_due = false;       // a "BR" came in a load: blocks wait for "N"
    int silent_blocks_seen = 0;
};

using SimState = SimUnit::State;

// Quiet on the line after which the unit judges what came: a line still
// without its LF, bytes past a body, the end of a broken block.
constexpr uint64_t sim_settle_ms = 100;

// Output and transcript (sim_unit.cpp).
void sim_event(SimState& s, SimEvent::Kind kind, std::string text);
void sim_note(SimState& s, std::string text);
void sim_anomaly(SimState& s, std::string text);
// Refuses what the uploader sent: the anomaly `why`, answered `reply_prefix` + `why`.
void sim_refuse(SimState& s, const std::string& reply_prefix, const std::string& why);
// Queues bytes readable after the reply latency, after everything queued before.
void sim_send(SimState& s, const std::vector<uint8_t>& bytes, const std::string& summary, uint32_t extra_delay_ms = 0);
void sim_send_line(SimState& s, const std::string& text, uint32_t extra_delay_ms = 0);

// Command lines (commands.cpp).
void sim_line_byte(SimState& s, uint8_t byte);
// The line waiting for its LF gets none: it is refused.
void sim_line_settled(SimState& s);
void sim_command(SimState& s, const std::string& line);
void sim_wake(SimState& s);

// Tables (tables.cpp).
void sim_send_table(SimState& s, char letter);

// Loads (loads.cpp).
void sim_enter_mode(SimState& s, const std::string& mode);
void sim_load_byte(SimState& s, uint8_t byte);
void sim_load_idle(SimState& s);
// A byte of the load lost while the unit held the sender.
void sim_lose_byte(SimState& s);
// The raw body's line fell quiet: the verdict.
void sim_body_settled(SimState& s);
// Adds load bytes that belong at `offset` of the load (kept while under the limit).
void sim_add_body(SimState& s, uint64_t offset, const uint8_t* bytes, std::size_t n);
// Takes the first bytes of `bytes` as one run of a raw body: up to the next
// pacing pause, the injected "ERR" or the announced length. Returns how many;
// 0 when the unit is not in a raw body or the next byte must come alone.
std::size_t sim_take_raw_run(SimState& s, const uint8_t* bytes, std::size_t n);
void sim_pace(SimState& s);
void sim_finish_load(SimState& s, bool accepted, std::string verdict);
void sim_start_test_stream(SimState& s);

// Configuration (parameters.cpp).
void sim_read_parameters(SimState& s);
void sim_start_parameter_list(SimState& s);
void sim_parameter_line(SimState& s, const std::string& line);
// A line of the list was refused for its form: the write is refused too.
void sim_spoil_parameter_list(SimState& s);

// Recordings (recordings.cpp).
void sim_recording_command(SimState& s, const std::string& word, const std::string& argument);
void sim_download_line(SimState& s, const std::string& line);

// System software images (images.cpp): why the unit refuses the header of a
// program or update image; empty when it takes it (and for other image types).
std::string sim_image_block_fault(const SimConfig& config, const std::vector<uint8_t>& block);

// Earlier generation (earlier_generation.cpp).
void sim_earlier_command(SimState& s, const std::string& word, const std::string& argument);
// `failure`: why the block's framing failed, empty when it did not.
void sim_earlier_block(SimState& s, const SimFrame& frame, const std::string& failure);
// Why the unit refuses the control block of an earlier-generation load; empty when it takes it.
std::string sim_earlier_control_fault(SimState& s, const std::vector<uint8_t>& block);
// "BR": the link speed from now on.
void sim_link_speed(SimState& s, const std::string& argument);
