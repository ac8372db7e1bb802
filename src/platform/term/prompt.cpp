#include "platform/term/prompt.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/term/keys.h"
#include "platform/term/screen.h"
#include "platform/term/terminal.h"

namespace {
constexpr std::size_t max_path = 4096;
constexpr std::size_t max_listed = 200;

// The longest common extension of the names in the typed name's folder that begin with it.
std::string completed(const std::string& typed, std::string_view base) {
    namespace fs = std::filesystem;
    const std::size_t slash = typed.rfind('/');
    const fs::path folder =
        fs::path(base.empty() ? "." : base) / (slash == std::string::npos ? "" : typed.substr(0, slash + 1));
    const std::string start = slash == std::string::npos ? typed : typed.substr(slash + 1);
    std::error_code ec;
    std::vector<std::string> matches;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end && matches.size() < max_listed;
         it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.compare(0, start.size(), start) != 0) continue;
        std::error_code dir_ec;
        if (it->is_directory(dir_ec)) name += '/';
        matches.push_back(name);
    }
    if (matches.empty()) return typed;
    std::string common = matches.front();
    for (const std::string& m : matches) {
        std::size_t n = 0;
        while (n < common.size() && n < m.size() && common[n] == m[n]) ++n;
        common.resize(n);
    }
    return typed.substr(0, slash == std::string::npos ? 0 : slash + 1) + common;
}

void show(std::string_view title, std::string_view hint, const std::string& typed) {
    const TermSize size = term_size();
    const auto width = std::size_t(size.cols);
    std::vector<std::string> lines{screen_text("== " + std::string(title) + " ==", width), "",
                                   screen_text(hint, width), ""};
    const std::string line = "> " + typed + "_";
    lines.push_back(screen_text(line.size() > width ? line.substr(line.size() - width) : line, width));
    if (term_is_screen()) lines.resize(std::size_t(size.rows) - 1);
    lines.push_back("Enter accept  Tab complete  Esc cancel");
    screen_show(lines);
}
}  // namespace

std::optional<std::string> prompt_path(std::string_view title, std::string_view hint, std::string_view base) {
    term_enter();
    std::string typed;
    screen_invalidate();
    for (;;) {
        if (term_take_resize()) screen_invalidate();
        show(title, hint, typed);
        const Key key = term_next_key(1000);
        switch (key.kind) {
            case Key::character:
                if (typed.size() < max_path) typed += key.ch;
                break;
            case Key::backspace:
                if (!typed.empty()) typed.pop_back();
                break;
            case Key::tab: typed = completed(typed, base); break;
            case Key::enter: screen_invalidate(); return typed;
            case Key::escape:
            case Key::end_of_input: screen_invalidate(); return std::nullopt;
            default: break;
        }
    }
}
