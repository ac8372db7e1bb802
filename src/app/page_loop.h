#pragma once
// The wizard: setup, waiting and transfer pages, each chosen by the result of
// the page before.
#include "platform/page_result.h"

enum class WizardState { setup, waiting, transfer, end };

WizardState next_wizard_state(WizardState shown, int page_result);
// Runs the pages from the setup page until one ends the wizard.
void run_page_loop();
// The same with the setup page shown once: a page going back to it ends the
// run (a function run from the command line).
void run_page_loop_once();
