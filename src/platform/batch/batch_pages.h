#pragma once
// The batch backend of the page and window seams: pages run on their own
// timers and procedures with nobody at the keyboard; whatever a technician
// would do (a button of a dialog, an answer to a box) comes from a policy the
// program installs. A page that waits for input the policy cannot give is
// closed, as by its close box.
#include <string_view>

#include "platform/page_model.h"
#include "platform/window.h"

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

// Turns batch mode on with this policy (nullptr: off).
void batch_set_policy(const BatchPolicy* policy);
bool batch_mode();

// The body of yield_to_window in batch mode: the top page's posted commands
// and due timers, and a request to end the program.
void batch_yield();

int batch_page_run(const PageLayout& layout, PageHandler handler);
int batch_message_box(std::string_view text, std::string_view caption, BoxButtons buttons, BoxIcon icon);

// Where the batch backend is the whole window system (batch_seam.cpp): a
// request to end the program, as a signal would give it.
void batch_request_end(int signal);
