#pragma once
// The program's routes with some procedures replaced by stand-ins, in force
// until replaced again or reset_program_state.
#include <initializer_list>
#include <utility>
#include <vector>

#include "app/transfer_routes.h"

inline void replace_procedures(std::initializer_list<std::pair<TransferProcedure, TransferProcedure>> replacements) {
    static std::vector<TransferRoute> routes;
    const std::span<const TransferRoute> built_in = built_in_transfer_routes();
    routes.assign(built_in.begin(), built_in.end());
    for (TransferRoute& route : routes)
        for (const auto& [procedure, stand_in] : replacements)
            if (route.procedure == procedure) route.procedure = stand_in;
    use_transfer_routes(routes);
}
