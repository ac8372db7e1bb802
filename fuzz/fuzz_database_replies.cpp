// The database loads' readers of the unit's replies: the free space answer to
// "DF", the answer to "DDB" and the out-of-space offer around it. The first
// input byte picks the reader, the database kind and the technician's choice;
// the rest is what the unit sends.
#include <cstdlib>
#include <string_view>

#include "fuzz_port.h"
#include "link/commands.h"
#include "link/serial.h"
#include "loads/database_protocol.h"
#include "setup/setup_layout.h"
#include "silent_pages.h"

namespace {
bool unit_reply_begins_ok() { return std::string_view(g_commands.unit_reply.data(), 5) == "OK : "; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const uint8_t options = data[0];
    fuzz_unit_connect(data + 1, size - 1);
    switch (options % 3) {
        case 0: {
            // What the unit says it has free is compared with a need near the
            // top of what a file can take.
            if (check_unit_space(uint64_t(options) << 26) && !unit_reply_begins_ok()) std::abort();
            break;
        }
        case 1: delete_unit_database(options / 3 % 5); break;
        default: {
            constexpr int choices[] = {ID_FLIGHT_MODE, ID_MAINTENANCE_MODE, ID_RESET_CANCEL};
            silent_pages_answer(choices[options / 3 % 3]);
            const DatabaseTexts& texts = database_texts(DatabaseKind(options / 9 % 4));
            // Only an erase the unit confirmed ends the program.
            if (offer_erase(nullptr, texts) == 1 && !unit_reply_begins_ok()) std::abort();
            break;
        }
    }
    unit_close_port();
    return 0;
}
