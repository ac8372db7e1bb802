#pragma once
// Watches that the uploader's page thread keeps answering while a scenario
// runs: a thread of the driver sends WM_NULL to whichever uploader window is
// up every probe_interval_ms and measures how long each goes unanswered.
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "uploader_windows.h"

// A message may wait this long for the page thread; a longer wait is a stall.
// The uploader lets its window run at least every 20 ms, also within a pass
// over a file, so a wait of half a second is a stall of its own and not the
// scheduling of a machine running several Wine sessions at once (up to about
// 450 ms seen on two cores running four).
constexpr DWORD unanswered_limit_ms = 500;
constexpr DWORD probe_interval_ms = 50;

class ResponsivenessProbe {
public:
    explicit ResponsivenessProbe(const Uploader& uploader);
    // Stops probing; prints the longest wait when finish did not.
    ~ResponsivenessProbe();
    ResponsivenessProbe(const ResponsivenessProbe&) = delete;
    ResponsivenessProbe& operator=(const ResponsivenessProbe&) = delete;

    // Stops probing, prints the longest wait and fails when it passed the limit.
    void finish();

private:
    void run();
    void stop();
    std::string summary();

    const Uploader& uploader_;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;  // guards the figures below
    ULONGLONG longest_ms_ = 0;
    std::string longest_at_;  // the caption of the window the longest wait was on
    unsigned long probes_ = 0;
    bool reported_ = false;
    std::thread thread_;
};
