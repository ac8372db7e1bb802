// The batch backend as the whole window system, for tests that have no other.
#include <csignal>

#include "platform/batch/batch_pages.h"

namespace {
volatile std::sig_atomic_t g_end_signal = 0;

int requested_end() { return g_end_signal; }
}  // namespace

const WindowSystem& batch_test_window_system() {
    static const WindowSystem system = batch_window_system(page_model_stop_between_pages, requested_end);
    return system;
}

void batch_request_end(int signal) { g_end_signal = signal; }
