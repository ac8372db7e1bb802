#include "app/batch/batch_policy.h"

#include <string>
#include <vector>

#include "app/batch/batch_outcome.h"
#include "app/batch/batch_output.h"
#include "link/serial.h"
#include "loads/erase_dialog.h"
#include "output/log.h"
#include "platform/batch/batch_pages.h"
#include "platform/ports.h"
#include "setup/setup_layout.h"

namespace {
struct Policy {
    BatchOptions options;
    int setup_step = 0;
};
Policy g_policy;

bool is_configuration(LoaderFunction f) {
    return f == LF_READ_CONFIG || f == LF_WRITE_CONFIG || f == LF_HASS_CONFIG || f == LF_NO_GAMMA_CONFIG;
}

// The "Select" button of the function's box, for a load with a catalogue.
int select_button(LoaderFunction f) {
    switch (f) {
        case LF_SYSTEM_SOFTWARE:
        case LF_OS_IMAGE:
        case LF_BOOT_IMAGE: return ID_SYSTEM_BROWSE;
        case LF_TERRAIN:
        case LF_AIRPORT:
        case LF_OBSTACLE:
        case LF_OVERLAY: return ID_DATABASE_BROWSE;
        default: return 0;
    }
}

// What the page says, for a run that ends on it.
std::string page_text(Page page) {
    std::string text = page->title;
    for (const PageControl& c : page->controls)
        if (c.visible && c.decl.kind == ControlKind::static_text && !c.text.empty()) text += "\n" + c.text;
    return text;
}

// The port the search looked at, for a run that found no unit.
std::string ports_searched() {
    const std::string& only = g_policy.options.port;
    std::string seen;
    for (const PortInfo& port : list_serial_ports())
        if (port.description.find("Gadget Serial") != std::string::npos && (only.empty() || port.device == only))
            seen += (seen.empty() ? "" : ", ") + port.device + " (" + port.description + ")";
    if (seen.empty())
        return only.empty() ? "No \"Gadget Serial\" port was found."
                            : "No \"Gadget Serial\" port named " + only + " was found.";
    return "Searched " + seen + ": no unit could be reached there.";
}

// The function, the file when one was named, then Next: each step once. A
// page still open after Next refused it (and said why in a box). Without a
// unit found at start nothing can run: the run ends as the waiting page would.
BatchStep setup_step(Page page) {
    const BatchOptions& o = g_policy.options;
    switch (g_policy.setup_step++) {
        case 0:
            if (!g_link.port_found) {
                const std::string text = "Could not find USB device\nPlease check connections";
                batch_output_line("[Error] " + text);
                batch_outcome_fail(text + "\n" + ports_searched());
                return BatchStep::stuck;
            }
            page_deliver(page, PageEvent::command, o.function);
            return BatchStep::acted;
        case 1:
            if (o.file.empty()) return setup_step(page);
            if (is_configuration(o.function)) {
                control_set_text(page, ID_PARAMETER_BOX, o.file);
                return BatchStep::acted;
            }
            if (const int button = select_button(o.function)) {
                page_deliver(page, PageEvent::command, button);
                return BatchStep::acted;
            }
            batch_outcome_fail("--file does not apply to " + std::string(batch_function_name(o.function)));
            return BatchStep::stuck;
        case 2: page_deliver(page, PageEvent::command, ID_SETUP_NEXT); return BatchStep::acted;
        default: return BatchStep::stuck;
    }
}

// A candidate named exactly wins; otherwise the one candidate whose name
// holds the text. Several such candidates are refused: loading one of them
// would be a guess.
BatchStep choose_version(Page page) {
    const PageControl* list = page_find(page, ID_VERSION_LIST);
    if (!list) return BatchStep::stuck;
    const std::string& wanted = g_policy.options.file;
    std::vector<int> matching;
    for (std::size_t i = 0; i < list->items.size(); ++i) {
        if (list->items[i] == wanted) {
            matching.assign(1, int(i));
            break;
        }
        if (list->items[i].find(wanted) != std::string::npos) matching.push_back(int(i));
    }
    if (matching.size() == 1) {
        list_select(page, ID_VERSION_LIST, matching.front());
        page_deliver(page, PageEvent::command, ID_VERSION_SELECT);
        return BatchStep::acted;
    }
    std::string named;
    for (int i : matching) named += "\n  " + list->items[std::size_t(i)];
    if (!matching.empty()) {
        batch_outcome_usage_error("--file '" + wanted + "' matches " + std::to_string(matching.size()) +
                                  " candidates; name one:" + named);
        return BatchStep::stuck;
    }
    std::string offered;
    for (const std::string& item : list->items) offered += "\n  " + item;
    batch_outcome_fail("No candidate matches '" + wanted + "'; offered:" + offered);
    return BatchStep::stuck;
}

// The reset and erase dialogs take a mode; without one ("none", or no option)
// the dialog stays unanswered and the run ends with its text, as Cancel
// would end the load.
BatchStep press_mode(Page page, int mode) {
    if (mode < 0) return BatchStep::stuck;
    page_deliver(page, PageEvent::command, mode == 0 ? ID_FLIGHT_MODE : ID_MAINTENANCE_MODE);
    return BatchStep::acted;
}

// After a failure nothing more is done for the technician: the pages that
// wait for an action are closed and the run ends.
BatchStep act(Page page) {
    if (batch_outcome().failed) return BatchStep::stuck;
    switch (page->layout->template_id) {
        case SETUP_PAGE: return setup_step(page);
        case VERSION_SELECT_DIALOG: return choose_version(page);
        case RESET_MODE_DIALOG: return press_mode(page, g_policy.options.reset);
        case ERASE_TERRAIN_DIALOG:
        case ERASE_OBSTACLE_DIALOG:
        case ERASE_NAVIGATION_DIALOG:
        case ERASE_OVERLAY_DIALOG: return press_mode(page, g_policy.options.erase_if_full);
        default: return BatchStep::nothing;
    }
}

// What ends a run at a page that waits for the technician: for the dialogs
// an option answers, that the option was not given; for any other page, what
// the page says first. A line that told more of it (the unit's reply) follows.
std::string stuck_reason(Page page) {
    switch (page->layout->template_id) {
        case RESET_MODE_DIALOG: return "The unit's restart mode was not chosen: the load needs --reset flt or mnx.";
        case ERASE_TERRAIN_DIALOG:
        case ERASE_OBSTACLE_DIALOG:
        case ERASE_NAVIGATION_DIALOG:
        case ERASE_OVERLAY_DIALOG:
            return "HTAWS file system is out of space: --erase-if-full flt or mnx erases the database and resets the "
                   "unit.";
        default: break;
    }
    for (const PageControl& c : page->controls)
        if (c.visible && c.decl.kind == ControlKind::static_text && !c.text.empty()) return page->title + ": " + c.text;
    return page->title;
}

// A page that waits for the technician ends the run, unless the function's
// procedure has run and the page only waits to be left. What it shows is
// printed as a box would be.
void stuck(Page page) {
    if (batch_outcome().completed || batch_outcome().failed) return;
    batch_output_line(page_text(page));
    batch_outcome_fail(stuck_reason(page));
}

int answer(std::string_view text, std::string_view caption, BoxButtons buttons, BoxIcon) {
    std::string line(1, '[');
    line.append(caption).append("] ").append(text);
    batch_output_line(line);
    if (caption == "FACTORY SETTING OVERWRITE" && g_policy.options.allow_factory_settings) return BOX_YES;
    // The run goes on without its log, as the wizard does.
    if (caption == "IO Error ..." && is_log_warning(text)) return BOX_OK;
    batch_outcome_fail(text);
    switch (buttons) {
        case BoxButtons::ok: return BOX_OK;
        case BoxButtons::yes_no: return BOX_NO;
        case BoxButtons::abort_retry_ignore: return BOX_ABORT;
        case BoxButtons::ok_cancel:
        case BoxButtons::yes_no_cancel:
        case BoxButtons::retry_cancel: return BOX_CANCEL;
    }
    return BOX_CANCEL;
}

const BatchPolicy policy{act, stuck, batch_output_progress, answer};
}  // namespace

void batch_policy_start(const BatchOptions& options) {
    g_policy = Policy{options, 0};
    batch_set_policy(&policy);
}

void batch_policy_stop() { batch_set_policy(nullptr); }
