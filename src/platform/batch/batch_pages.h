#pragma once
// The batch backend of the page and window seams: pages run on their own
// timers and procedures with nobody at the keyboard; whatever a technician
// would do (a button of a dialog, an answer to a box) comes from a policy the
// program installs. A page that waits for input the policy cannot give is
// closed, as by its close box. It shows nothing: no picker, no text after the
// pages.
#include <string_view>

#include "platform/page_model.h"
#include "platform/window.h"
#include "platform/window_system.h"

enum class BatchStep {
    acted,    // the policy performed an action on the page
    nothing,  // nothing to do now: the page's timers run
    stuck,    // the page waits for what the policy cannot give
};

struct BatchPolicy {
    BatchStep (*act)(Page page);
    // The page is about to be closed because it waits for what nobody gives.
    void (*stuck)(Page page);
    // A control of the page changed (a progress move, a transfer line).
    void (*changed)(Page page);
    int (*answer)(std::string_view text, std::string_view caption, BoxButtons buttons, BoxIcon icon);
};

// The policy that answers from now on (nullptr: none; a page or box then ends
// the program, as a seam without a backend does).
void batch_set_policy(const BatchPolicy* policy);

// The batch backend over the system's own requests to end the program:
// `take_end_requests` starts taking them (and hands `stop_between_pages` to
// page_model_stop_between_pages), `end_request` tells the one taken.
WindowSystem batch_window_system(void (*take_end_requests)(void (*stop_between_pages)()), int (*end_request)());

// The batch backend where it is the whole window system (batch_seam.cpp, for
// tests): a request to end the program is the one given here, as a signal
// would give it.
const WindowSystem& batch_test_window_system();
void batch_request_end(int signal);
