#pragma once
// The scripted window backend: every message box is recorded and answered
// from the test's script; a box the script does not expect fails the test and
// shows its text.
#include <functional>
#include <string>
#include <vector>

#include "platform/window.h"
#include "platform/window_system.h"

struct RecordedBox {
    std::string text;
    std::string caption;
    BoxButtons buttons;
    BoxIcon icon;
};

// Boxes and the message pump, for tests without pages; the scripted page
// backend's window system (scripted_pages.h) has these and the pages.
const WindowSystem& scripted_window_system();
void script_reset();
// Expects the next box to have this exact text and caption; answers `answer`.
void script_expect_box(std::string text, std::string caption, int answer = BOX_OK);
// From now on a box the script does not expect is answered by `policy`
// instead of failing the test (a run that answers as a rule would); cleared by
// script_reset.
void script_answer_unexpected(std::function<int(const RecordedBox&)> policy);
// Every box shown since the last reset.
const std::vector<RecordedBox>& script_boxes();
// Expected boxes not yet shown.
std::size_t script_pending();
// The scripted page backend's share of yield_to_window, given by pages_reset:
// its pages take their posted commands and due timers there.
void script_pages_pump(void (*pump)());
// Runs at every yield_to_window, as a message the technician caused would be
// dispatched there; cleared by script_reset.
void script_on_yield(std::function<void()> action);
