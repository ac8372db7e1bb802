#pragma once
// The data blocks of an earlier-generation load: 'D' blocks of at most 1024
// bytes through send_block_serial, each answered by the unit with a reply line
// (airport and terrain) or sent without waiting (system software), a refused
// block sent again, and the technician asked after the tenth refusal in a row.
#include <cstddef>
#include <cstdint>
#include <span>

#include "output/transfer_display.h"

enum class BlockReplies {
    none,        // no reply is read; failed writes are only counted
    lower_baud,  // after ten refusals: "Try again at lower baud rate?"
    ask_again,   // after ten refusals, and after every further one: "Try again?"
};

struct BlockRun {
    std::span<const uint8_t> bytes;  // sent from `first` to the end
    std::size_t first = 0;
    uint32_t address_offset = 0;     // load address = offset in `bytes` + this
    BlockReplies replies = BlockReplies::none;
    // Progress: (progress_base + offset after the block) of progress_total
    // bytes; past progress_total the block carries padding ("zeroing").
    uint64_t progress_base = 0;
    uint64_t progress_total = 0;
};

enum class BlocksEnd {
    sent,     // every block went out (and was taken, where the unit replies)
    stopped,  // abort_requested, or the technician gave up: the link is closed
};

inline constexpr std::size_t earlier_block_size = 1024;

// enter_load_mode_serial; false when the load cannot go on. A mode command
// not written gets the time-out question and ends the page; otherwise the
// page stays open, and a unit that took no control block in three rounds is
// shown as such.
bool enter_earlier_load_mode(Page page, int mode, const uint8_t* control_block);

BlocksEnd send_earlier_blocks(Page page, const BlockRun& run, TransferProgress& progress);
