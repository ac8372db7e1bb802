#pragma once
// The scripted window backend: every message box is recorded and answered
// from the test's script; a box the script does not expect fails the test and
// shows its text.
#include <functional>
#include <string>
#include <vector>

#include "platform/window.h"

struct RecordedBox {
    std::string text;
    std::string caption;
    BoxButtons buttons;
    BoxIcon icon;
};

void script_reset();
// Expects the next box to have this exact text and caption; answers `answer`.
void script_expect_box(std::string text, std::string caption, int answer = BOX_OK);
// Every box shown since the last reset.
const std::vector<RecordedBox>& script_boxes();
// Expected boxes not yet shown.
std::size_t script_pending();
// A request to end the program, as the terminal's signal `signal` gives it:
// end_request() answers it from now on; cleared by script_reset.
void script_end_request(int signal);
// Runs at every yield_to_window, as a message the technician caused would be
// dispatched there; cleared by script_reset.
void script_on_yield(std::function<void()> action);
