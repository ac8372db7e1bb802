#include "faults/fault_columns.h"

namespace {
// The unit's pacing at which the faults on the flow control act.
constexpr uint32_t pause_every = 4096;

void silent(SimConfig& u, const TransferSpan&) { u.faults.silent = true; }
void err_early(SimConfig& u, const TransferSpan&) { u.faults.err_at_body_byte = 1; }
void err_last(SimConfig& u, const TransferSpan&) { u.faults.err_during_body = true; }
void nak_storm(SimConfig& u, const TransferSpan&) { u.pacing = {pause_every, 2000, 25}; }
void never_ack(SimConfig& u, const TransferSpan&) { u.pacing = {pause_every, 3600000}; }
void chatter(SimConfig& u, const TransferSpan&) {
    u.pacing = {pause_every, 100};
    u.pacing.chatter_ms = 500;
}
// The unit holds the sender over and over through a long body: more pauses
// than the sender's wait for one ACK lasts, and NAKs repeated within a pause.
void nak_every_256k(SimConfig& u, const TransferSpan&) { u.pacing = {262144, 150}; }
void nak_every_1m(SimConfig& u, const TransferSpan&) { u.pacing = {1048576, 100}; }
void nak_storm_every_64k(SimConfig& u, const TransferSpan&) { u.pacing = {65536, 250, 4}; }
void corrupt_table(SimConfig& u, const TransferSpan&) { u.faults.corrupt_table = 'P'; }
void garbled_block_answer(SimConfig& u, const TransferSpan&) { u.faults.garbled_block_answer = true; }
void corrupt_packet(SimConfig& u, const TransferSpan&) { u.faults.corrupt_packet = 1; }
void pulled_at(SimConfig& u, const TransferSpan& span, uint64_t per_cent) {
    u.faults.cable_pulled_after = long(span.start + span.bytes * per_cent / 100);
}
void pulled_start(SimConfig& u, const TransferSpan& span) { pulled_at(u, span, 0); }
void pulled_10(SimConfig& u, const TransferSpan& span) { pulled_at(u, span, 10); }
void pulled_50(SimConfig& u, const TransferSpan& span) { pulled_at(u, span, 50); }
void pulled_90(SimConfig& u, const TransferSpan& span) { pulled_at(u, span, 90); }
// The cable goes with the transfer's last byte, while the unit works on its verdict.
void pulled_last(SimConfig& u, const TransferSpan& span) {
    u.faults.cable_pulled_after = long(span.start + (span.bytes ? span.bytes - 1 : 0));
}
void endless_flash(SimConfig& u, const TransferSpan&) { u.faults.flash_never_ends = true; }
void slow(SimConfig& u, const TransferSpan&) { u.reply_latency_ms = 400; }
void slow_and_pacing(SimConfig& u, const TransferSpan& span) {
    slow(u, span);
    u.pacing = {pause_every, 1000};
}
void restart(SimConfig& u, const TransferSpan& span) { u.faults.restart_after = long(span.start + span.bytes / 2); }
FaultColumn column(std::string name, Outcome outcome, void (*apply)(SimConfig&, const TransferSpan&),
                   bool from_start = false) {
    return {std::move(name), outcome, outcome == Outcome::completes ? 0u : 30000u, from_start, apply, "", "", "", false};
}
}  // namespace

std::vector<FaultColumn> fault_columns(const FunctionRow& row) {
    if (row.long_body)
        return {column("NAK every 256 KiB, held 150 ms", Outcome::completes, nak_every_256k),
                column("NAK every 1 MiB, held 100 ms", Outcome::completes, nak_every_1m),
                column("4 NAKs every 64 KiB, held 250 ms", Outcome::completes, nak_storm_every_64k)};
    std::vector<FaultColumn> columns = {
        column("silent unit", Outcome::fails, silent),
        column("corrupted P table", Outcome::either, corrupt_table, true),
        column("unit ten times slower", Outcome::completes, row.paced ? slow_and_pacing : slow),
    };
    // A function that sends a few command bytes has no middle to pull the cable in.
    if (row.body || row.packets) {
        columns.push_back(column("cable pulled at 10%", Outcome::fails, pulled_10));
        columns.push_back(column("cable pulled at 50%", Outcome::fails, pulled_50));
        columns.push_back(column("cable pulled at 90%", Outcome::fails, pulled_90));
        for (std::size_t i = columns.size() - 3; i < columns.size(); ++i) columns[i].body_cut = true;
        columns.push_back(column("cable pulled at the last byte", Outcome::fails, pulled_last));
    } else {
        FaultColumn pulled = column("cable pulled as it starts", Outcome::fails, pulled_start);
        pulled.bound_ms = 75000;
        pulled.bound_reason = "connecting makes 20 attempts, each reopening a port that no longer opens and waiting "
                              "for the greeting (about 3.5 s an attempt)";
        columns.push_back(pulled);
    }
    if (*row.mode) {
        FaultColumn refused = column("mode refused", Outcome::fails, nullptr);
        refused.mode = row.mode;
        columns.push_back(refused);
    }
    for (const std::string& word : row.replies) {
        FaultColumn unanswered = column("no answer to " + word, Outcome::fails, nullptr);
        unanswered.word = word;
        columns.push_back(unanswered);
    }
    if (row.body) columns.push_back(column("unit restarts mid-load", Outcome::fails, restart));
    if (row.paced) {
        columns.push_back(column("NAK storm", Outcome::completes, nak_storm));
        FaultColumn held = column("NAK, never ACK", Outcome::fails, never_ack);
        held.bound_ms = 45000;
        held.bound_reason = "the sender waits 20 s for the ACK, then up to 22 s for the unit's verdict on the body";
        held.body_cut = true;
        columns.push_back(held);
        columns.push_back(column("chatter, never ACK", Outcome::fails, chatter));
        columns.back().body_cut = true;
    }
    if (row.body && row.mode == std::string("P")) {
        // The unit took the block: a load that reads no answer to it may complete.
        columns.push_back(column("corrupted control-block answer", Outcome::either, garbled_block_answer));
        columns.push_back(column("ERR in the first piece", Outcome::fails, err_early));
        columns.push_back(column("ERR in the last piece", Outcome::fails, err_last));
    }
    if (row.packets) columns.push_back(column("corrupted packet", Outcome::either, corrupt_packet));
    if (row.body && !row.paced) {
        // The earlier generation's flash write: the unit never stops reporting progress.
        FaultColumn endless = column("flash write never ends", Outcome::fails, endless_flash);
        const bool software = row.function == LF_SYSTEM_SOFTWARE;
        endless.bound_ms = software ? 10 * 60000 : 30 * 60000;
        endless.bound_reason = software ? "the unit never falls silent; the flash write ends 10 min into its reads"
                                        : "the unit never falls silent; the flash write ends 30 min into its reads";
        columns.push_back(endless);
    }
    return columns;
}
