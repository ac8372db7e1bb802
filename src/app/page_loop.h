#pragma once
// The wizard: setup, waiting and transfer pages, each chosen by the result of
// the page before.

enum PageResult : int {
    RESULT_QUIT = 0,
    RESULT_BACK = 1000,
    RESULT_NEXT = 1001,
    RESULT_SETUP = 1002,
    RESULT_WAITING_AGAIN = 4,
};

enum class WizardState { setup, waiting, transfer, end };

WizardState next_wizard_state(WizardState shown, int page_result);
// Runs the pages from the setup page until one ends the wizard.
void run_page_loop();
// The same with the setup page shown once: a page going back to it ends the
// run (a function run from the command line).
void run_page_loop_once();
