#pragma once
// A load file passed through the load checksum or sent to the unit as a raw
// body: pieces of 65,536 bytes through one reused buffer, the per-mille
// progress on the transfer page, and the technician's Cancel looked at after
// every piece, so that even a file of several GiB stops within a second.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "output/transfer_display.h"

inline constexpr std::size_t body_piece_size = 65536;

enum class PassEnd {
    done,          // the file was read to its end (and every piece was sent)
    read_failed,   // the file could not be read
    write_failed,  // a piece did not reach the unit: the rest is not read
    cancelled,     // abort_requested was set
    unit_error,    // the unit's text contained "ERR" (only with stop_at_unit_error)
};

struct PassResult {
    PassEnd end = PassEnd::done;
    uint64_t bytes = 0;       // read (checksum) or sent (body)
    bool unit_error = false;  // the unit's text during the body contained "ERR"
};

struct BodyPacing {
    // Pause after each piece (the staged send's block delay).
    uint32_t pause_after_piece_ms = 0;
    // Stop after the piece during which the unit's text contained "ERR".
    bool stop_at_unit_error = false;
};

// Sends the file from its current position to its end with write_multi_byte,
// showing "Transferring <sent> of <length> bytes" before each piece and once
// more at the end. `length` drives the progress only. The unit's text is
// watched for "ERR" over the whole body, also across pieces.
PassResult send_file_body(std::FILE* file, uint64_t length, TransferProgress& progress,
                          const BodyPacing& pacing = {});

// A unit takes every byte as part of a body until it has it whole, or until it
// has had none for 5 s and drops it. Nothing else reaches it before then.
inline constexpr uint32_t unit_body_drop_ms = 6000;
// How long to keep quiet before the unit listens again after the last body sent
// stopped short (0 when it ended whole, or the unit dropped it by now); and
// forgetting that body, for a new run.
uint32_t body_drop_wait_ms();
void body_drop_forget();

// The lines that close a body sent to the unit. When every byte went out:
// "Transfer complete" and "Waiting for response from unit..." (with
// `announce_wait`); otherwise how far the body came, and that the file was not
// loaded (the unit refuses a body it did not get whole).
void show_body_end(const PassResult& body, uint64_t length, bool announce_wait);

// The load checksum (final value) of the file from its start to its end, left
// in `checksum`; the file is back at its start afterwards. With a progress,
// "Checking integrity on <checked> of <length> bytes" after each piece.
PassResult checksum_file(std::FILE* file, uint64_t length, uint32_t& checksum, TransferProgress* progress);
