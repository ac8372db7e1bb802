// The pages for tools/screenshots: "shot NAME" printed at each, the next
// step taken once a line comes on the driver's input. Each scenario needs
// its own simulated unit (run-gui-case sets it up); tools/screenshots runs
// them in turn.
#include <chrono>
#include <cstdio>
#include <functional>
#include <future>
#include <iostream>
#include <memory>
#include <thread>

#include "app/page_layouts.h"
#include "gui_scenarios.h"
#include "setup/setup_layout.h"

namespace {
constexpr DWORD shot_answer_ms = 60000;
// The paced terrain data body (run-gui-case) reaches its middle well within this.
constexpr DWORD midload_bound_ms = 60000;
// The earlier unit's airport load reaches its flash write, whose bar moves for 12 s.
constexpr DWORD flash_bound_ms = 40000;

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

// A box's button pressed and the box gone.
void answer_box(HWND box, int button) {
    click(box, button);
    expect(poll_for([&] { return !IsWindow(box); }), "the box \"" + caption_of(box) + "\" stayed after its answer");
}

HWND await_setup(const Uploader& uploader) { return uploader.await_page(setup_caption, transfer_bound_ms); }

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
    shot("transfer_ready");
    press_escape(transfer);
    expect(uploader.await_exit() == 0, "Escape on the transfer page did not end the uploader with status 0");
}

// The unit says it has no room: each database load offers its erase dialog.
void shots_erase(const Arguments& a) {
    Uploader uploader(a.uploader, a.top);
    HWND setup = uploader.await_page(setup_caption);
    const struct {
        LoaderFunction function;
        const char* caption;
        const char* name;
    } loads[] = {
        {LF_TERRAIN, "Erase Terrain", "erase_terrain"},
        {LF_OBSTACLE, "Erase Obstacles", "erase_obstacles"},
        {LF_AIRPORT, "Erase Navigation Data", "erase_navigation"},
        {LF_OVERLAY, "Erase Overlay Data", "erase_overlay"},
    };
    for (const auto& load : loads) {
        choose(setup, load.function);
        reach_transfer_page(uploader, setup);
        HWND erase = uploader.await_box(load.caption, transfer_bound_ms);
        shot(load.name);
        answer_box(erase, ID_RESET_CANCEL);
        setup = await_setup(uploader);
    }
    exit_from_setup(uploader, setup);
}

// A message box of a failed step, pictured and answered; whatever follows is
// not pictured, and the uploader is ended with the scenario.
void box_shot(const Arguments& a, const std::string& setup_title, LoaderFunction function, const char* caption,
              const char* name, int answer) {
    Uploader uploader(a.uploader, a.top);
    HWND setup = uploader.await_page(setup_title);
    choose(setup, function);
    click(setup, ID_SETUP_NEXT);
    HWND box = uploader.await_box(caption, transfer_bound_ms);
    shot(name);
    answer_box(box, answer);
}

// A unit that refuses the load mode of the terrain files: the failure's Yes/No question.
void shots_error_box(const Arguments& a) { box_shot(a, setup_caption, LF_TERRAIN, "Error", "error_box", IDNO); }

// A unit whose tables never check out (the setup page then names no
// instrument): the waiting page's OK box.
void shots_note_box(const Arguments& a) {
    box_shot(a, no_instrument_caption, LF_OS_IMAGE, "Loader Error", "note_box", IDOK);
}

// The setup page (of this caption) with `function` chosen, through the
// transfer page, until `pictured` holds of it; then its picture.
void transfer_shot(const Arguments& a, const std::string& setup_title, LoaderFunction function, DWORD bound_ms,
                   const std::function<bool(HWND)>& pictured, const char* name) {
    Uploader uploader(a.uploader, a.top);
    HWND setup = uploader.await_page(setup_title);
    choose(setup, function);
    HWND transfer = reach_transfer_page(uploader, setup);
    expect(poll_for([&] { return pictured(transfer); }, bound_ms),
           std::string("the transfer page never showed what ") + name + " pictures");
    shot(name);
}

// Between its low and high marks, both ends included.
bool position_between(HWND transfer, int id, int low, int high) {
    const auto position = progress_position(transfer, id);
    return position && *position >= low && *position <= high;
}

// The unit paces a large terrain data body (run-gui-case): its bar near the
// middle, the transfer line counting.
void shots_transfer_midload(const Arguments& a) {
    transfer_shot(
        a, setup_caption, LF_TERRAIN, midload_bound_ms,
        [](HWND transfer) {
            const auto line = try_text(GetDlgItem(transfer, ID_TRANSFER_LINE));
            return try_text(GetDlgItem(transfer, ID_OPERATION_TITLE)) == "Terrain Data File Load" &&
                   line && line->starts_with("Transferring ") && position_between(transfer, ID_PROGRESS, 400, 600);
        },
        "transfer_midload");
}

// An earlier-generation unit's airport load: its flash write's second bar on
// its way.
void shots_flash_write(const Arguments& a) {
    transfer_shot(
        a, no_instrument_caption, LF_AIRPORT, flash_bound_ms,
        [](HWND transfer) {
            return IsWindowVisible(GetDlgItem(transfer, ID_SECOND_PROGRESS)) &&
                   position_between(transfer, ID_SECOND_PROGRESS, 30, 70);
        },
        "flash_write");
}

}  // namespace

const std::vector<Scenario> shots_scenarios = {
    {"shots", shots},
    {"shots_erase", shots_erase},
    {"shots_error_box", shots_error_box},
    {"shots_note_box", shots_note_box},
    {"shots_transfer_midload", shots_transfer_midload},
    {"shots_flash_write", shots_flash_write},
};
