#pragma once
// The ways a unit or a cable fails, as the fault matrix injects them into the
// simulated unit, and what each cell must end with.
#include <cstdint>
#include <string>
#include <vector>

#include "faults/fault_rows.h"
#include "sim/sim_unit.h"

// Where the transfer page's work lies in the unit's count of received bytes,
// from a clean run of the same function.
struct TransferSpan {
    uint64_t start = 0;  // bytes the unit had received when the transfer page opened
    uint64_t bytes = 0;  // bytes it received from then to the end of the run
};

enum class Outcome {
    fails,      // must end without any claim of success
    completes,  // must still complete
    either,     // may do either; the other checks hold
};

struct FaultColumn {
    std::string name;
    Outcome outcome = Outcome::fails;
    // The transfer must end this long (virtual time) after the unit last said
    // or heard anything; 0 for no bound (a run that completes).
    uint64_t bound_ms = 30000;
    bool from_start = false;  // injected before the wizard starts, not at the transfer page
    void (*apply)(SimConfig& unit, const TransferSpan& span) = nullptr;
    std::string word;  // the command word left unanswered, for the reply columns
    std::string mode;  // the load mode refused, for the refusal column
    const char* bound_reason = "";  // why a bound other than 30 s holds
    bool body_cut = false;  // the body cannot be written whole: never "Transfer complete"
};

// The faults that apply to this function, each with the outcome it must have.
std::vector<FaultColumn> fault_columns(const FunctionRow& row);
