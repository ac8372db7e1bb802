#include "app/batch/batch_output.h"

#include <algorithm>
#include <string>
#include <vector>

#include "output/transfer_display.h"
#include "platform/clock.h"
#include "platform/page_model.h"
#include "platform/process.h"

namespace {
constexpr std::size_t bar_width = 30;
constexpr std::size_t min_bar_width = 10;

struct Output {
    std::FILE* out = stdout;
    bool redraw = false;
    bool line_open = false;  // a progress line is drawn and not yet ended
    int shown = -1;          // the per-mille value shown last
    std::string shown_text;  // the transfer line it was shown with
    std::string last_line;   // the text line printed last
    std::string held_line;   // a plain progress line not printed yet
    // The pass (one file's progress) began with the first value shown of it.
    uint64_t pass_started = 0;
    uint64_t pass_first_done = 0;
    uint64_t last_done = 0;
    uint64_t last_total = 0;
};
Output g_output;

void end_progress_line() {
    if (!g_output.line_open) return;
    std::fputc('\n', g_output.out);
    g_output.line_open = false;
}

void print_held_line() {
    if (g_output.held_line.empty()) return;
    std::fprintf(g_output.out, "%s\n", g_output.held_line.c_str());
    std::fflush(g_output.out);
    g_output.held_line.clear();
}

// "<words> <done> of <total> bytes": the numbers, when the line has them.
bool bytes_of(const std::string& line, uint64_t& done, uint64_t& total) {
    const std::size_t of = line.rfind(" of ");
    if (of == std::string::npos) return false;
    const std::size_t start = line.rfind(' ', of - 1);
    unsigned long long d = 0, t = 0;
    if (std::sscanf(line.c_str() + (start == std::string::npos ? 0 : start + 1), "%llu of %llu bytes", &d, &t) != 2)
        return false;
    done = d;
    total = t;
    return true;
}

std::string duration(uint64_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%llu:%02llu", static_cast<unsigned long long>(seconds / 60),
                  static_cast<unsigned long long>(seconds % 60));
    return text;
}

// The text as printed: without carriage returns or ending line breaks.
std::string printed(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    std::string line(text);
    std::erase(line, '\r');
    return line;
}
}  // namespace

void batch_output_start(std::FILE* out, bool redraw) {
    g_output = Output{};
    g_output.out = out;
    g_output.redraw = redraw;
}

void batch_output_line(std::string_view text) {
    const std::string line = printed(text);
    if (line.empty()) return;
    print_held_line();
    end_progress_line();
    std::fprintf(g_output.out, "%s\n", line.c_str());
    std::fflush(g_output.out);
    g_output.last_line = line;
}

void batch_output_final(std::string_view text) {
    print_held_line();
    if (printed(text) != g_output.last_line) batch_output_line(text);
}

std::string progress_line(int per_mille, uint64_t done, uint64_t total, uint64_t moved, uint64_t elapsed_ms,
                          std::size_t width) {
    // The bar is drawn within its bounds whatever the value; the figure says
    // the value itself.
    const long value = per_mille;
    const long magnitude = value < 0 ? -value : value;
    char figure_text[32];
    std::snprintf(figure_text, sizeof figure_text, "%s%ld.%ld%%", value < 0 ? "-" : "", magnitude / 10,
                  magnitude % 10);
    const std::string figure = figure_text;
    std::vector<std::string> parts;
    if (total > 0) {
        parts.push_back("  " + std::to_string(done) + " of " + std::to_string(total) + " bytes");
        if (elapsed_ms > 0 && moved > 0) {
            const uint64_t rate = moved * 1000 / elapsed_ms;
            parts.push_back("  " + std::to_string(rate / 1024) + " KiB/s");
            if (rate > 0 && done <= total) parts.push_back("  " + duration((total - done) / rate) + " left");
        }
    }
    // On a narrow terminal the least needed parts go first, then the bar
    // narrows: a line that wraps would scroll at every redraw.
    std::size_t bar = bar_width;
    const auto length = [&] {
        std::size_t n = bar + 3 + figure.size();
        for (const std::string& part : parts) n += part.size();
        return n;
    };
    while (width > 0 && length() > width && !parts.empty()) parts.pop_back();
    while (width > 0 && length() > width && bar > min_bar_width) --bar;
    const std::size_t filled = std::size_t(std::clamp(value, 0L, 1000L)) * bar / 1000;
    std::string line(1, '[');
    line.append(filled, '#').append(bar - filled, '.').append("] ").append(figure);
    for (const std::string& part : parts) line += part;
    if (width > 0 && line.size() > width) line.resize(width);
    return line;
}

// The bar moves before the transfer line gets its new numbers, so a pass
// with a transfer line is drawn as the line changes, others as the bar moves.
void batch_output_progress(Page page) {
    const PageControl* bar = page_find(page, ID_PROGRESS);
    if (!bar || !bar->visible) return;
    const PageControl* transfer = page_find(page, ID_TRANSFER_LINE);
    const std::string text = transfer ? transfer->text : "";
    uint64_t done = 0, total = 0;
    const bool with_bytes = bytes_of(text, done, total);
    const int per_mille = bar->position;
    if (with_bytes ? text == g_output.shown_text : per_mille == g_output.shown) return;
    const bool new_pass = g_output.shown < 0 || per_mille < g_output.shown ||
                          (with_bytes && (total != g_output.last_total || done < g_output.last_done));
    if (new_pass) {
        g_output.pass_started = now_ms();
        g_output.pass_first_done = done;
    }
    g_output.last_done = done;
    g_output.last_total = total;
    const bool plain_step = per_mille / 100 != g_output.shown / 100 || per_mille >= 1000;
    g_output.shown = per_mille;
    g_output.shown_text = text;
    if (per_mille <= 0 || (!g_output.redraw && !plain_step)) return;
    const uint64_t moved = done >= g_output.pass_first_done ? done - g_output.pass_first_done : 0;
    // Redrawn in place, the line keeps off the terminal's last column.
    const int columns = g_output.redraw ? stream_columns(g_output.out) : 0;
    const std::string line = progress_line(per_mille, done, total, moved, now_ms() - g_output.pass_started,
                                           columns > 1 ? std::size_t(columns - 1) : 0);
    g_output.last_line.clear();
    if (g_output.redraw) {
        std::fprintf(g_output.out, "\r%s\033[K", line.c_str());
        g_output.line_open = true;
    } else if (!with_bytes) {
        // A bar that moved alone waits for what comes next: when the transfer
        // line's numbers follow for the same step, one line says both.
        print_held_line();
        g_output.held_line = line;
        return;
    } else {
        g_output.held_line.clear();
        std::fprintf(g_output.out, "%s\n", line.c_str());
    }
    std::fflush(g_output.out);
}
