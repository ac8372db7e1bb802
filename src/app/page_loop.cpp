#include "app/page_loop.h"

#include "app/run_record.h"
#include "app/run_summary.h"
#include "app/transfer_page.h"
#include "app/waiting_page.h"
#include "setup/setup_page.h"

WizardState next_wizard_state(WizardState shown, int page_result) {
    switch (shown) {
        case WizardState::setup:
            return page_result == RESULT_QUIT ? WizardState::end : WizardState::waiting;
        case WizardState::waiting:
            if (page_result == RESULT_BACK || page_result == RESULT_SETUP) return WizardState::setup;
            return page_result == RESULT_NEXT ? WizardState::transfer : WizardState::end;
        case WizardState::transfer:
            if (page_result == RESULT_BACK || page_result == RESULT_SETUP) return WizardState::setup;
            return page_result == RESULT_WAITING_AGAIN ? WizardState::waiting : WizardState::end;
        case WizardState::end: break;
    }
    return WizardState::end;
}

namespace {
void run_pages(bool setup_once) {
    WizardState wizard_state = WizardState::setup;
    bool setup_shown = false;
    while (wizard_state != WizardState::end && !(setup_once && setup_shown && wizard_state == WizardState::setup)) {
        setup_shown = setup_shown || wizard_state == WizardState::setup;
        int result = RESULT_QUIT;
        switch (wizard_state) {
            case WizardState::setup: result = DoSetup(); break;
            case WizardState::waiting: result = DoWaiting(); break;
            case WizardState::transfer: {
                const LoaderFunction function = handed_function();
                summary_transfer_begins();
                run_record_begins();
                result = DoTransfer();
                summary_transfer_ended(function);
                run_record_ends(function);
                break;
            }
            case WizardState::end: break;
        }
        wizard_state = next_wizard_state(wizard_state, result);
    }
}
}  // namespace

void run_page_loop() { run_pages(false); }
void run_page_loop_once() { run_pages(true); }
