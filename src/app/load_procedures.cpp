#include "app/load_procedures.h"

#include "app/transfer_routes.h"

void register_load_procedures() {
}
