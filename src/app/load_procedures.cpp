#include "app/load_procedures.h"

#include "app/earlier_procedures.h"
#include "app/transfer_routes.h"
#include "loads/block_test.h"
#include "loads/recordings.h"

void register_load_procedures() {
    register_earlier_generation_procedures();
    register_transfer_procedure("erase_recordings", erase_recordings);
    register_transfer_procedure("download_recordings", download_recordings);
    register_transfer_procedure("load_block_test", load_block_test);
}
