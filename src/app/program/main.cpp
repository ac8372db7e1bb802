#include "app/load_procedures.h"
#include "app/startup.h"
#include "app/transfer_page.h"

int main() {
    register_shell_procedures();
    register_load_procedures();
    return run_uploader();
}
