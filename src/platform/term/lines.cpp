#include "platform/term/lines.h"

#include <algorithm>
#include <map>
#include <string>

#include "platform/term/render.h"
#include "platform/term/screen.h"
#include "platform/term/terminal.h"

namespace {
// Progress is printed at each tenth of its range.
constexpr long progress_step = 100;
// A printed line is cut at this width; the status lines of the unit are shorter.
constexpr std::size_t line_width = 300;

struct Printed {
    std::string title;
    std::map<std::size_t, std::string> texts;     // by control index
    std::map<std::size_t, std::size_t> status;    // by control index: the end printed, from the text's start
    std::map<std::size_t, long> progress;         // by control index: the step reached
};
std::map<const PageWindow*, Printed> g_printed;

void print(std::string& out, std::string_view line) { out.append(screen_text(line, line_width)).append("\n"); }

// Each line of the text that shows anything.
void print_lines(std::string& out, std::string_view text) {
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t to = text.find('\n', from);
        if (to == std::string_view::npos) to = text.size();
        const std::string line = screen_text(text.substr(from, to - from), line_width);
        if (!line.empty()) out.append(line).append("\n");
        from = to + 1;
    }
}

// The status text after `end` (counted from the first character ever shown),
// whole lines only unless `partial`.
void status_lines(const PageControl& c, std::size_t& end, bool partial, std::string& out) {
    const std::size_t start = end > c.dropped ? end - c.dropped : 0;
    if (start >= c.text.size()) return;
    std::size_t stop = c.text.size();
    if (!partial) {
        const std::size_t last = c.text.rfind('\n');
        if (last == std::string::npos || last < start) return;
        stop = last + 1;
    }
    print_lines(out, std::string_view(c.text).substr(start, stop - start));
    end = c.dropped + stop;
}

void show(const PageWindow& page, bool ending) {
    Printed& p = g_printed[&page];
    std::string out;
    if (page.title != p.title) {
        p.title = page.title;
        print(out, "== " + page.title + " ==");
    }
    for (std::size_t i = 0; i < page.controls.size(); ++i) {
        const PageControl& c = page.controls[i];
        if (!c.visible) continue;
        switch (c.decl.kind) {
            case ControlKind::static_text:
            case ControlKind::radio: {
                const bool shown = c.decl.kind == ControlKind::static_text ? !c.text.empty() : c.checked;
                const std::string text = shown ? label_of(c.text) : std::string();
                std::string& before = p.texts[i];
                if (text == before) break;
                before = text;
                if (text.empty()) break;
                print_lines(out, c.decl.kind == ControlKind::radio ? "(*) " + text : text);
                break;
            }
            case ControlKind::status_box: status_lines(c, p.status[i], ending, out); break;
            case ControlKind::progress: {
                // A bar back at its start (the next file) is printed from its first step.
                const long step = progress_per_mille(c) / progress_step;
                long& printed = p.progress[i];
                if (step != printed && step != 0) print(out, progress_text(c));
                printed = step;
                break;
            }
            default: break;
        }
    }
    term_write(out);
}
}  // namespace

void lines_show(const PageWindow& page) { show(page, false); }

void lines_forget(const PageWindow& page) {
    if (g_printed.count(&page)) show(page, true);
    g_printed.erase(&page);
}
