#pragma once
// What the unit holds, written to a folder as it changes, so that a test
// running the uploader in another program (under Wine, say) can compare the
// unit's contents with the files byte for byte:
//   recording-N.dat  the unit's recordings, written at start and removed
//                    when the unit erases them
//   parameters.txt   the parameter lines, rewritten whenever they change
//   load-NN.control, load-NN.data  each load's control block and the data the
//                    unit kept, written when the load has its verdict
//                    (at most the first 64 MiB of data are kept)
//   loads.txt        one line a load: "NN MODE LENGTH CHECKSUM VERDICT NAME"
//                    (LENGTH decimal, CHECKSUM eight hexadecimal digits)
//   notes.txt        the unit's notes, one a line, as they come: what it did
//                    on a command that leaves no contents ("database 1 erased",
//                    "restarting in mode 0")
#include <cstddef>
#include <string>
#include <vector>

#include "sim/sim_unit.h"

class KeptContents {
public:
    // Nothing is written when `folder` is empty.
    explicit KeptContents(std::string folder);
    // Writes the recordings; false with `error` set when the folder cannot be written.
    bool start(SimUnit& unit, std::string& error);
    // Writes what changed since the last call; false with `error` set on a failed write.
    bool update(const SimUnit& unit, std::string& error);

private:
    bool write(const std::string& name, const void* bytes, std::size_t size, std::string& error) const;
    std::string folder_;
    bool append(const std::string& name, const std::string& text, std::string& error) const;
    std::size_t loads_written_ = 0;
    std::size_t events_seen_ = 0;
    std::size_t recordings_written_ = 0;
    std::vector<std::string> parameters_written_;
    bool parameters_known_ = false;
};
