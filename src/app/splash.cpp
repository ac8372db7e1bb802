#include "app/splash.h"

#include "app/page_layouts.h"
#include "app/waiting_page.h"
#include "link/commands.h"
#include "link/connection.h"
#include "link/responsive_wait.h"
#include "link/serial.h"
#include "output/log.h"
#include "platform/clock.h"
#include "platform/pages.h"
#include "platform/process.h"
#include "unit/model.h"

namespace {
constexpr int splash_timer = 1;
constexpr uint32_t splash_ms = 2000;
constexpr int splash_went_on = 0;
constexpr int splash_closed = 1;

bool is_family(std::string_view model) { return model.size() >= 4 && model.substr(2, 2) == "52"; }

void splash_handler(Page page, PageEvent event, int id) {
    switch (event) {
        case PageEvent::open:
            page_show(page, false);
            page_set_title(page, program_title());
            control_set_text(page, ID_DESCRIPTION, version_text(VersionItem::file_description));
            control_set_text(page, ID_LEGAL, legal_text());
            page_show(page, true);
            page_start_timer(page, splash_timer, splash_ms);
            break;
        case PageEvent::command:
            if (id != CMD_OK && id != CMD_CANCEL) break;
            page_kill_timer(page, splash_timer);
            page_end(page, splash_went_on);
            break;
        case PageEvent::timer:
        case PageEvent::click:
            page_kill_timer(page, splash_timer);
            page_end(page, splash_went_on);
            break;
        case PageEvent::close:
            page_kill_timer(page, splash_timer);
            page_end(page, splash_closed);
            break;
        case PageEvent::cursor: break;
    }
}
}  // namespace

int splash_template_for(std::string_view model) {
    if (model.empty()) return SPLASH_NO_UNIT;
    if (!is_family(model) || model.size() < 7 || model[6] != 'H') return SPLASH_OTHER_UNIT;
    if (model[4] == '5') return SPLASH_FAMILY;
    if (model[4] == '0') return SPLASH_RK5200H;
    return SPLASH_OTHER_UNIT;
}

bool is_served_model(std::string_view model) {
    const int chosen = splash_template_for(model);
    return chosen == SPLASH_FAMILY || chosen == SPLASH_RK5200H;
}

std::string program_title() {
    return version_text(VersionItem::product_name) + ", Version " + version_text(VersionItem::product_version);
}

std::string legal_text() { return version_text(VersionItem::legal_copyright); }

SplashOutcome DoSplash() {
    log_write("... DoSplash()");
    const std::string model = detect_model(DETECT_FRESH);
    // A unit that never answered is named in the log; the splash shows no unit.
    if (model.empty() && !unit_silent_text().empty()) log_write(unit_silent_text());
    const bool served = is_served_model(model);
    if (served && connect_unit()) {
        if (unit_send_command("STOPF\r")) wait_responsive(300);
        unit_close_port();
    }
    const int result = page_run(*app_page_layout(splash_template_for(model)), splash_handler);
    return {served, result == splash_closed};
}
