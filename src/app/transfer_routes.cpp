#include "app/transfer_routes.h"

#include <array>

#include "app/configuration_flows.h"
#include "app/transfer_page.h"
#include "loads/block_test.h"
#include "loads/database_loads.h"
#include "loads/earlier_loads.h"
#include "loads/image_loads.h"
#include "loads/recordings.h"
#include "loads/software_system.h"

namespace {
constexpr std::array routes{
    TransferRoute{LF_SYSTEM_SOFTWARE, RouteWhen::earlier_with_p_table, RouteStep::earlier_software,
                  load_system_software_serial},
    TransferRoute{LF_SYSTEM_SOFTWARE, RouteWhen::port_found, RouteStep::run, load_system_software},
    TransferRoute{LF_OS_IMAGE, RouteWhen::current, RouteStep::run, load_os_image},
    TransferRoute{LF_BOOT_IMAGE, RouteWhen::current, RouteStep::run, load_boot_image},
    TransferRoute{LF_AIRPORT, RouteWhen::current, RouteStep::run, load_nav_database},
    TransferRoute{LF_AIRPORT, RouteWhen::always, RouteStep::run, load_airport_serial},
    TransferRoute{LF_TERRAIN, RouteWhen::current, RouteStep::run, load_terrain_database},
    TransferRoute{LF_TERRAIN, RouteWhen::always, RouteStep::terrain_header, load_terrain_serial_header},
    TransferRoute{LF_TERRAIN_DATA, RouteWhen::always, RouteStep::run, load_terrain_serial_data},
    TransferRoute{LF_OBSTACLE, RouteWhen::current, RouteStep::run, load_obstacle_database},
    TransferRoute{LF_OVERLAY, RouteWhen::current, RouteStep::run, load_overlay_database},
    TransferRoute{LF_BLOCK_TEST, RouteWhen::always, RouteStep::run, load_block_test},
    TransferRoute{LF_READ_CONFIG, RouteWhen::always, RouteStep::run, read_configuration_flow},
    TransferRoute{LF_WRITE_CONFIG, RouteWhen::always, RouteStep::run, write_configuration_flow},
    TransferRoute{LF_HASS_CONFIG, RouteWhen::always, RouteStep::run, write_configuration_flow},
    TransferRoute{LF_NO_GAMMA_CONFIG, RouteWhen::always, RouteStep::run, write_configuration_flow},
    TransferRoute{LF_DOWNLOAD_RECORDING, RouteWhen::earlier, RouteStep::run, refuse_download},
    TransferRoute{LF_DOWNLOAD_RECORDING, RouteWhen::current_with_port, RouteStep::run, download_recordings},
    TransferRoute{LF_ERASE_RECORDING, RouteWhen::current, RouteStep::run, erase_recordings},
};

bool holds(RouteWhen when, const UnitFacts& unit) {
    switch (when) {
        case RouteWhen::always: return true;
        case RouteWhen::current: return unit.current_generation;
        case RouteWhen::earlier: return !unit.current_generation;
        case RouteWhen::current_with_port: return unit.current_generation && unit.port_found;
        case RouteWhen::earlier_with_p_table: return unit.p_table_valid && !unit.current_generation;
        case RouteWhen::port_found: return unit.port_found;
    }
    return false;
}

std::span<const TransferRoute> g_routes = routes;
}  // namespace

std::span<const TransferRoute> transfer_routes() { return g_routes; }

std::span<const TransferRoute> built_in_transfer_routes() { return routes; }

void use_transfer_routes(std::span<const TransferRoute> replaced) {
    g_routes = replaced.empty() ? std::span<const TransferRoute>(routes) : replaced;
}

const TransferRoute* route_for(LoaderFunction function, const UnitFacts& unit) {
    for (const TransferRoute& route : g_routes)
        if (route.function == function && holds(route.when, unit)) return &route;
    return nullptr;
}
