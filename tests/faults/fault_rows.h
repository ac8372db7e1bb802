#pragma once
// The loader functions of the fault matrix: what each needs on disk and in the
// unit, how the technician starts it on the setup page, and what only a
// completed run shows.
#include <string>
#include <vector>

#include "catalogue/loader_function.h"
#include "sim/sim_unit.h"
#include "support/scripted_pages.h"
#include "support/temp_dir.h"

struct FunctionRow {
    const char* name;
    LoaderFunction function;
    // Puts the function's files under the top-level directory and sets the unit up.
    void (*prepare)(const TempDir& top, SimConfig& unit);
    // Scripts the setup page's actions that start it, and the dialogs they open.
    void (*choose)(LoaderFunction function);
    const char* success;                // a status line only a completed run shows
    std::vector<std::string> replies;   // command words whose answers the transfer reads
    const char* mode;                   // the load mode it asks for, "" when none
    bool body;                          // sends a load's bytes
    bool paced;                         // the unit paces them with NAK and ACK (the current generation)
    bool packets;                       // reads framed packets from the unit
    bool backup;                        // writes the unit's configuration to the parameter file
    // Starts it where the setup page cannot: the files typed on the
    // earlier-generation setup page, then the waiting and transfer pages.
    void (*start)(const TempDir& top) = nullptr;
    // Command bytes that follow the load's last byte ("UP\r", "RESET 0\r"):
    // the cable pulled at the load's end is pulled before them.
    unsigned trailing_bytes = 0;
    // A body of tens of MiB: only the flow-control columns, which need its
    // length, run on it.
    bool long_body = false;
};

const std::vector<FunctionRow>& fault_rows();
