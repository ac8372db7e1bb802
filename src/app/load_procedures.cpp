#include "app/load_procedures.h"

#include "app/earlier_procedures.h"
#include "app/transfer_routes.h"
#include "loads/block_test.h"
#include "loads/database_loads.h"
#include "loads/image_loads.h"
#include "loads/recordings.h"
#include "loads/software_system.h"

void register_load_procedures() {
    register_earlier_generation_procedures();
    register_transfer_procedure("load_terrain_database", load_terrain_database);
    register_transfer_procedure("load_nav_database", load_nav_database);
    register_transfer_procedure("load_obstacle_database", load_obstacle_database);
    register_transfer_procedure("load_overlay_database", load_overlay_database);
    register_transfer_procedure("erase_recordings", erase_recordings);
    register_transfer_procedure("download_recordings", download_recordings);
    register_transfer_procedure("load_block_test", load_block_test);
    register_transfer_procedure("load_system_software", load_system_software);
    register_transfer_procedure("load_os_image", load_os_image);
    register_transfer_procedure("load_boot_image", load_boot_image);
}
