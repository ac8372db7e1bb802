#include "app/startup.h"
#include "app/transfer_page.h"

int main() {
    register_shell_procedures();
    return run_uploader();
}
