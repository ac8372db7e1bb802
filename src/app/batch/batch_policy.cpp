#include "app/batch/batch_policy.h"

#include <string>

#include "app/batch/batch_outcome.h"
#include "app/batch/batch_output.h"
#include "loads/erase_dialog.h"
#include "output/log.h"
#include "platform/batch/batch_pages.h"
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

// The function, the file when one was named, then Next: each step once. A
// page still open after Next refused it (and said why in a box).
BatchStep setup_step(Page page) {
    const BatchOptions& o = g_policy.options;
    switch (g_policy.setup_step++) {
        case 0: page_deliver(page, PageEvent::command, o.function); return BatchStep::acted;
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

BatchStep choose_version(Page page) {
    const PageControl* list = page_find(page, ID_VERSION_LIST);
    if (!list) return BatchStep::stuck;
    for (std::size_t i = 0; i < list->items.size(); ++i) {
        if (list->items[i].find(g_policy.options.file) == std::string::npos) continue;
        list_select(page, ID_VERSION_LIST, int(i));
        page_deliver(page, PageEvent::command, ID_VERSION_SELECT);
        return BatchStep::acted;
    }
    std::string offered;
    for (const std::string& item : list->items) offered += "\n  " + item;
    batch_outcome_fail("No candidate matches '" + g_policy.options.file + "'; offered:" + offered);
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

// A page that waits for the technician ends the run with its text, unless the
// function's procedure has run and the page only waits to be left.
void stuck(Page page) {
    if (!batch_outcome().completed) batch_outcome_fail(page_text(page));
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
