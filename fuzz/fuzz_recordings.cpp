// The recordings download against a unit that sends the fuzz input: the
// count, the answers to "H" and the packet stream. The files it writes go to
// a private folder emptied after each input.
#include <cstdlib>

#include "catalogue/upload_settings.h"
#include "fuzz_folder.h"
#include "fuzz_port.h"
#include "link/serial.h"
#include "loads/recordings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz_unit_connect(data, size);
    if (!set_upload_setting(FDR_DIR, fuzz_folder())) std::abort();
    download_recordings(nullptr);
    unit_close_port();
    empty_fuzz_folder();
    return 0;
}
