#include "app/program_fault.h"

#include <exception>
#include <string>

#include "output/log.h"
#include "platform/window.h"

namespace {
std::string fault_text() {
    const std::string opening = "The program stopped the operation on an internal fault: ";
    try {
        throw;
    } catch (const std::exception& e) {
        return opening + e.what();
    } catch (...) {
        return opening + "an exception of unknown kind";
    }
}
}  // namespace

void report_program_fault() {
    const std::string text = fault_text();
    log_write(text);
    message_box(text, "Error", BoxButtons::ok, BoxIcon::error);
}
