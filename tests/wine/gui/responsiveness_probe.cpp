#include "responsiveness_probe.h"

#include <cstdio>
#include <vector>

ResponsivenessProbe::ResponsivenessProbe(const Uploader& uploader)
    : uploader_(uploader), thread_([this] { run(); }) {}

ResponsivenessProbe::~ResponsivenessProbe() {
    stop();
    if (!reported_) std::printf("%s\n", summary().c_str());
}

void ResponsivenessProbe::stop() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
}

std::string ResponsivenessProbe::summary() {
    const std::lock_guard<std::mutex> lock(mutex_);
    std::string text = "longest unanswered message: " + std::to_string(longest_ms_) + " ms";
    if (!longest_at_.empty()) text += " on \"" + longest_at_ + "\"";
    return text + " (" + std::to_string(probes_) + " messages sent, limit " + std::to_string(unanswered_limit_ms) +
           " ms)";
}

void ResponsivenessProbe::finish() {
    stop();
    const std::string text = summary();
    reported_ = true;
    std::printf("%s\n", text.c_str());
    if (longest_ms_ > unanswered_limit_ms) fail("the page thread stalled: " + text);
}

void ResponsivenessProbe::run() {
    // The send time of the first message of a run that went unanswered, and
    // its window; 0 while the thread answers.
    ULONGLONG unanswered_since = 0;
    std::string stalled_on;
    const ULONGLONG start = GetTickCount64();
    // A wait from `sent` until now.
    auto record = [&](ULONGLONG sent, const std::string& caption) {
        const ULONGLONG waited_ms = GetTickCount64() - sent;
        // Each stall as it ends, so that a failure shows them all.
        if (waited_ms > unanswered_limit_ms)
            std::printf("stall: %llu ms unanswered on \"%s\", %llu ms into the scenario\n", waited_ms,
                        caption.c_str(), sent - start);
        const std::lock_guard<std::mutex> lock(mutex_);
        if (waited_ms > longest_ms_) {
            longest_ms_ = waited_ms;
            longest_at_ = caption;
        }
    };
    while (!stopping_) {
        const std::vector<HWND> shown = uploader_.dialogs();
        if (shown.empty()) {
            Sleep(probe_interval_ms);
            continue;
        }
        HWND window = shown.front();
        const std::string caption = caption_of(window);
        const ULONGLONG sent = GetTickCount64();
        DWORD_PTR ignored = 0;
        const bool answered =
            SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, unanswered_limit_ms, &ignored) != 0;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            ++probes_;
        }
        if (!answered && IsWindow(window)) {
            // Sent again at once, so that a message waits for the thread
            // through the whole stall and its end is seen when it comes.
            if (!unanswered_since) {
                unanswered_since = sent;
                stalled_on = caption;
            }
            continue;
        }
        // A window closed by its thread also ends a stall: the thread ran.
        record(unanswered_since ? unanswered_since : sent, unanswered_since ? stalled_on : caption);
        unanswered_since = 0;
        Sleep(probe_interval_ms);
    }
    // A stall that lasts until the probe stops counts up to now.
    if (unanswered_since) record(unanswered_since, stalled_on);
}
