#include "platform/files.h"
#include "platform/process.h"
#include "version.h"

std::string temp_folder() {
    make_folder("/tmp");
    return "/tmp";
}

std::string log_file_path() { return temp_folder() + "/Loader.LOG"; }

const char* product_name() { return HTAWS_PRODUCT_NAME; }
const char* product_version() { return HTAWS_PRODUCT_VERSION; }
