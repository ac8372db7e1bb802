#include "app/load_procedures.h"

#include "app/earlier_procedures.h"
#include "app/transfer_routes.h"

void register_load_procedures() {
    register_earlier_generation_procedures();
}
