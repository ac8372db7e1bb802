#pragma once
// What the load benchmarks share: the simulated unit served in real time on
// the master side of a pseudo-terminal, whose slave the uploader opens as its
// port, and the transfer page with nobody looking at it.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <thread>

#include "platform/page_model.h"
#include "sim/sim_unit.h"

class PtyUnit {
public:
    explicit PtyUnit(SimConfig config);
    ~PtyUnit();
    PtyUnit(const PtyUnit&) = delete;
    PtyUnit& operator=(const PtyUnit&) = delete;

    const std::string& slave_path() const { return slave_path_; }
    // Only once the server has stopped.
    const SimUnit& unit();

private:
    void serve();

    SimUnit unit_;
    int master_ = -1;
    int keep_open_ = -1;
    std::string slave_path_;
    std::atomic<bool> stop_{false};
    std::thread server_;
};

// The baseline of a load's sending: the milliseconds that plain write() of
// `bytes` filler bytes, in writes of `piece` bytes, takes to a fresh unit
// served on a pseudo-terminal, drained.
double plain_write_ms(SimConfig config, uint64_t bytes, std::size_t piece);

// The uploader's port opened on `device`, the link and command state fresh.
void open_unit_link(const std::string& device);

// The transfer page's controls, drawn nowhere and never given input.
PageWindow headless_transfer_page();
