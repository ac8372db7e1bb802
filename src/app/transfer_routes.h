#pragma once
// Which procedure the transfer page runs for a loader function and the unit
// at hand.
#include <span>

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
    TransferProcedure procedure;
};

// The routes the transfer page follows: the program's own table unless
// replaced.
std::span<const TransferRoute> transfer_routes();
// The program's own table.
std::span<const TransferRoute> built_in_transfer_routes();
// Replaces the routes the transfer page follows, for as long as `routes`
// lives (tests run stand-ins in place of procedures); an empty span restores
// the program's own.
void use_transfer_routes(std::span<const TransferRoute> routes);
// The first route of the function whose condition holds; nullptr when none.
const TransferRoute* route_for(LoaderFunction function, const UnitFacts& unit);
