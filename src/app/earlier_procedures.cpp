#include "app/earlier_procedures.h"

#include "app/transfer_routes.h"
#include "loads/earlier_loads.h"

void register_earlier_generation_procedures() {
    register_transfer_procedure("load_airport_serial", load_airport_serial);
    register_transfer_procedure("load_terrain_serial_header", load_terrain_serial_header);
    register_transfer_procedure("load_terrain_serial_data", load_terrain_serial_data);
    register_transfer_procedure("load_system_software_serial", load_system_software_serial);
}
