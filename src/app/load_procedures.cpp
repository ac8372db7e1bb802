#include "app/load_procedures.h"

#include "app/earlier_procedures.h"
#include "app/transfer_routes.h"
#include "loads/database_loads.h"

void register_load_procedures() {
    register_earlier_generation_procedures();
    register_transfer_procedure("load_terrain_database", load_terrain_database);
    register_transfer_procedure("load_nav_database", load_nav_database);
    register_transfer_procedure("load_obstacle_database", load_obstacle_database);
    register_transfer_procedure("load_overlay_database", load_overlay_database);
}
