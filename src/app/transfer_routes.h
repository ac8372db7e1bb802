#pragma once
// Which procedure the transfer page runs for a loader function and the unit
// at hand. The table names the procedures; each module registers the ones it
// provides, so a function whose procedure is not part of the build is named
// on the page instead of being silently skipped.
#include <span>
#include <string_view>

#include "catalogue/loader_function.h"
#include "platform/pages.h"

// Runs on the transfer page and ends the page itself; the result only tells
// the page whether the procedure stopped early (non-zero).
using TransferProcedure = int (*)(Page page);

struct UnitFacts {
    bool current_generation = false;  // unit_generation is 4
    bool p_table_valid = false;
    bool port_found = false;
};

enum class RouteWhen { always, current, earlier, current_with_port, earlier_with_p_table, port_found };
enum class RouteStep {
    run,
    earlier_software,  // the software compatibility test first
    terrain_header,    // then on to the data phase
};

struct TransferRoute {
    LoaderFunction function;
    RouteWhen when;
    RouteStep step;
    const char* procedure;
};

std::span<const TransferRoute> transfer_routes();
// The first route of the function whose condition holds; nullptr when none.
const TransferRoute* route_for(LoaderFunction function, const UnitFacts& unit);

void register_transfer_procedure(std::string_view name, TransferProcedure procedure);
// nullptr when no module of this build provides it.
TransferProcedure transfer_procedure(std::string_view name);
void transfer_procedures_reset();
