// The pages for tools/screenshots: "shot NAME" printed at each, the next
// step taken once a line comes on the driver's input.
#include <chrono>
#include <cstdio>
#include <future>
#include <iostream>
#include <memory>
#include <thread>

#include "app/page_layouts.h"
#include "gui_scenarios.h"
#include "setup/setup_layout.h"

namespace {
constexpr DWORD shot_answer_ms = 60000;

// Tells the screenshot taker which page is up and waits until it is taken.
void shot(const std::string& name) {
    std::printf("shot %s\n", name.c_str());
    std::fflush(stdout);
    auto answered = std::make_shared<std::promise<bool>>();
    std::future<bool> answer = answered->get_future();
    std::thread([answered] {
        std::string line;
        answered->set_value(bool(std::getline(std::cin, line)));
    }).detach();
    expect(answer.wait_for(std::chrono::milliseconds(shot_answer_ms)) == std::future_status::ready && answer.get(),
           "no answer after shot " + name);
}

void shots(const Arguments& a) {
    Uploader uploader(a.uploader, a.top);
    uploader.await_page(program_title);
    shot("splash");
    HWND setup = uploader.await_page(setup_caption);
    shot("setup");
    click(setup, ID_RESET_UNIT);
    HWND reset = uploader.await_page(reset_mode_layout().caption);
    shot("reset_mode");
    click(reset, ID_RESET_CANCEL);
    expect(poll_for([&] { return !IsWindow(reset); }), "the reset mode dialog stayed after Cancel");
    click(setup, ID_SYSTEM_BROWSE);
    HWND versions = uploader.await_page(version_select_layout().caption);
    shot("version_select");
    click(versions, ID_VERSION_CANCEL);
    expect(poll_for([&] { return !IsWindow(versions); }), "the version select dialog stayed after Cancel");
    choose(setup, LF_OS_IMAGE);
    click(setup, ID_SETUP_NEXT);
    uploader.await_page(waiting_caption);
    shot("waiting");
    HWND transfer = uploader.await_page(transfer_caption, transfer_bound_ms);
    await_status(transfer, "Communications ready");
    shot("transfer");
    press_escape(transfer);
    expect(uploader.await_exit() == 0, "Escape on the transfer page did not end the uploader with status 0");
}

}  // namespace

const std::vector<Scenario> shots_scenarios = {
    {"shots", shots},
};
