#include "app/waiting_validation.h"

#include <cstdio>
#include <string>

#include "app/database_compatibility.h"
#include "app/page_loop.h"
#include "link/connection.h"
#include "link/serial.h"
#include "output/log.h"
#include "platform/window.h"
#include "unit/identity.h"

namespace {
void log_serial(PTableField field) {
    if (!g_unit_tables.p_table.valid) return;
    g_unit.unit_number = p_table_word(field);
    char text[64];
    std::snprintf(text, sizeof text, "Serial Number From Unit:%x", static_cast<unsigned>(g_unit.unit_number));
    log_write(text);
}

// Asks the mismatch question; true for Yes.
bool mismatch_answered_yes(const char* kind, const char* last_line) {
    const std::string told = std::string(kind) + " compatibility Mis-match\r\nNew Program Must be Loaded First!";
    const bool yes =
        message_box(told + "\r\n" + last_line, "Error", BoxButtons::yes_no, BoxIcon::error) == BOX_YES;
    log_write(told);
    return yes;
}

int validate_current(LoaderFunction function) {
    log_serial(P_UNIT_NUMBER);
    const auto check = prepared_database_check(function, current_generation);
    if (!check) return RESULT_NEXT;
    if (check->compatible(check->version)) {
        log_write(std::string(check->kind) + " compatibility Matched!");
        return RESULT_NEXT;
    }
    const char* answer =
        function == LF_AIRPORT ? "Return to Setup(YES) or Quit (NO)" : "Return to Setup (YES) or Quit (NO)";
    return mismatch_answered_yes(check->kind, answer) ? RESULT_BACK : RESULT_QUIT;
}

int validate_earlier(LoaderFunction function) {
    log_serial(P_OBSTACLE_MASK);
    if (const auto check = prepared_database_check(function, 1)) {
        if (check->compatible(check->version))
            log_write(std::string(check->kind) + " compatibility Matched!");
        else if (!mismatch_answered_yes(check->kind, "Do you Still want to upload?"))
            return RESULT_SETUP;
    }
    if (function == LF_AIRPORT) {
        if (const std::string overflow = earlier_map_overflow(); !overflow.empty()) {
            message_box(overflow, "Error", BoxButtons::ok, BoxIcon::error);
            log_write(overflow);
            return RESULT_SETUP;
        }
    }
    return RESULT_NEXT;
}
}  // namespace

int validate_unit(LoaderFunction function) {
    log_write("Validating Information");
    return g_link.port_found ? validate_current(function) : validate_earlier(function);
}
