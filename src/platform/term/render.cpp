#include "platform/term/render.h"

#include <algorithm>

#include "platform/term/screen.h"

namespace {
// Controls this close together in dialog units share a line.
constexpr int same_row_du = 6;
constexpr std::size_t bar_width = 40;
constexpr char help[] = "Tab/arrows move  Space press  Enter default  Esc cancel  typing fills a box";

std::vector<std::string> text_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    while (!lines.empty() && screen_text(lines.back(), 1).empty()) lines.pop_back();
    return lines;
}

}  // namespace

long progress_per_mille(const PageControl& c) {
    const long range = long(c.high) - c.low;
    return range > 0 ? std::clamp((long(c.position) - c.low) * 1000 / range, 0L, 1000L) : 0;
}

std::string progress_text(const PageControl& c) {
    const long per_mille = progress_per_mille(c);
    const auto filled = std::size_t(per_mille) * bar_width / 1000;
    std::string text = "[";
    text.append(filled, '#').append(bar_width - filled, '.').append("] ").append(std::to_string(per_mille));
    return text.append("/1000");
}

namespace {

std::vector<std::string> cell(const PageControl& c, std::size_t box_width, std::size_t status_lines) {
    const std::string label = label_of(c.text);
    switch (c.decl.kind) {
        case ControlKind::button:
        case ControlKind::default_button: {
            const bool is_default = c.decl.kind == ControlKind::default_button;
            const std::string box = is_default ? "[[" + label + "]]" : "[" + label + "]";
            return {c.enabled ? box : box + "(off)"};
        }
        case ControlKind::radio: return {std::string(c.checked ? "(*) " : c.enabled ? "( ) " : "(-) ") + label};
        case ControlKind::group_box: return {"-- " + label + " --"};
        case ControlKind::text_box: {
            // A box keeps its declared share of the width; a longer text shows its end, where a path names the file.
            std::string shown = screen_text(c.text, c.text.size());
            if (shown.size() > box_width) shown.erase(0, shown.size() - box_width + 1).insert(0, 1, '<');
            if (c.read_only || !c.enabled) return {"{" + shown + "}"};
            const std::size_t pad = std::min<std::size_t>(24, box_width);
            return {"[" + shown + std::string(shown.size() < pad ? pad - shown.size() : 0, '_') + "]"};
        }
        case ControlKind::status_box: {
            std::vector<std::string> lines = text_lines(c.text);
            if (lines.size() > status_lines) lines.erase(lines.begin(), lines.end() - long(status_lines));
            for (std::string& line : lines) line = "| " + line;
            lines.resize(status_lines, "|");
            return lines;
        }
        case ControlKind::progress: return {progress_text(c)};
        case ControlKind::list_box: {
            std::vector<std::string> lines;
            for (std::size_t i = 0; i < c.items.size(); ++i)
                lines.push_back((int(i) == c.selection ? "[x] " : "[ ] ") + c.items[i]);
            if (lines.empty()) lines.push_back("(empty list)");
            return lines;
        }
        case ControlKind::static_text: return label.empty() ? std::vector<std::string>{} : text_lines(label);
        case ControlKind::picture:
        case ControlKind::separator: break;
    }
    return {};
}

struct Row {
    int y;
    std::vector<const PageControl*> controls;
};

std::vector<Row> rows_of(const PageWindow& page) {
    std::vector<const PageControl*> shown;
    for (const PageControl& c : page.controls)
        if (c.visible && c.decl.kind != ControlKind::picture && c.decl.kind != ControlKind::separator)
            shown.push_back(&c);
    std::stable_sort(shown.begin(), shown.end(),
                     [](const PageControl* a, const PageControl* b) { return a->decl.y < b->decl.y; });
    std::vector<Row> rows;
    for (const PageControl* c : shown) {
        if (rows.empty() || c->decl.y > rows.back().y + same_row_du) rows.push_back({c->decl.y, {}});
        rows.back().controls.push_back(c);
    }
    for (Row& row : rows)
        std::stable_sort(row.controls.begin(), row.controls.end(),
                         [](const PageControl* a, const PageControl* b) { return a->decl.x < b->decl.x; });
    return rows;
}

struct Cell {
    const PageControl* control;
    std::vector<std::string> body;
    std::size_t width;  // the focus mark, the widest line and a space
    std::size_t bucket;
};

// Controls beginning within this many dialog units of each other share a column.
constexpr int same_column_du = 8;

std::vector<std::vector<Cell>> cells_of(const std::vector<Row>& rows, std::size_t cols, std::size_t page_width,
                                        std::size_t status_lines) {
    std::vector<int> xs;
    for (const Row& row : rows)
        for (const PageControl* c : row.controls) xs.push_back(c->decl.x);
    std::sort(xs.begin(), xs.end());
    std::vector<int> buckets;
    for (int x : xs)
        if (buckets.empty() || x - buckets.back() > same_column_du) buckets.push_back(x);
    std::vector<std::vector<Cell>> table;
    for (const Row& row : rows) {
        std::vector<Cell> cells;
        for (const PageControl* c : row.controls) {
            const std::size_t box_width = std::max<std::size_t>(8, std::size_t(c->decl.w) * cols / page_width);
            std::vector<std::string> body = cell(*c, box_width, status_lines);
            if (body.empty()) continue;
            std::size_t width = 0;
            for (std::string& line : body) width = std::max(width, (line = screen_text(line, cols)).size());
            const auto after = std::upper_bound(buckets.begin(), buckets.end(), c->decl.x);
            cells.push_back({c, std::move(body), width + 2, std::size_t(after - buckets.begin() - 1)});
        }
        table.push_back(std::move(cells));
    }
    return table;
}

// Each column begins where every row has room for it, so controls stacked in
// the declaration stay stacked; a row too wide for the window is packed instead.
std::vector<std::vector<std::size_t>> columns_of(const std::vector<std::vector<Cell>>& table, std::size_t cols) {
    std::size_t buckets = 0;
    for (const auto& cells : table)
        for (const Cell& c : cells) buckets = std::max(buckets, c.bucket + 1);
    std::vector<std::size_t> start(buckets, 0);
    for (std::size_t pass = 0; pass <= buckets; ++pass)
        for (const auto& cells : table) {
            std::size_t end = 0;
            for (const Cell& c : cells) {
                start[c.bucket] = std::max(start[c.bucket], end);
                end = start[c.bucket] + c.width;
            }
        }
    std::vector<std::vector<std::size_t>> columns;
    for (const auto& cells : table) {
        std::vector<std::size_t> aligned, packed;
        std::size_t end = 0, packed_end = 0;
        for (const Cell& c : cells) {
            aligned.push_back(std::max(end, start[c.bucket]));
            end = aligned.back() + c.width;
            packed.push_back(packed_end);
            packed_end += c.width;
        }
        columns.push_back(end <= cols + 1 ? aligned : packed);
    }
    return columns;
}

std::vector<std::string> draw_rows(const PageWindow& page, const std::vector<Row>& rows, std::size_t cols,
                                   std::size_t status_lines) {
    const auto table = cells_of(rows, cols, std::size_t(std::max(1, page.layout->w)), status_lines);
    const auto columns = columns_of(table, cols);
    std::vector<std::string> out;
    for (std::size_t r = 0; r < table.size(); ++r) {
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < table[r].size(); ++i) {
            const Cell& c = table[r][i];
            const bool focused = page.focus >= 0 && &page.controls[std::size_t(page.focus)] == c.control;
            if (lines.size() < c.body.size()) lines.resize(c.body.size());
            for (std::size_t n = 0; n < c.body.size(); ++n) {
                lines[n].resize(columns[r][i], ' ');
                lines[n] += (focused && n == 0 ? ">" : " ") + c.body[n];
            }
        }
        for (std::string& line : lines) {
            while (!line.empty() && line.back() == ' ') line.pop_back();
            out.push_back(line.substr(0, cols));
        }
    }
    return out;
}
}  // namespace

std::string label_of(const std::string& text) {
    std::string label;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) ++i;
        label += text[i];
    }
    return label;
}

std::vector<std::string> render_page(const PageWindow& page, int cols, int rows) {
    const auto width = std::size_t(cols);
    const std::vector<Row> layout = rows_of(page);
    const std::size_t others = draw_rows(page, layout, width, 0).size();
    // The status box keeps its share of the page's height, so the rows below it stay in view.
    std::size_t room = std::size_t(rows) > others + 3 ? std::size_t(rows) - others - 3 : 3;
    for (const PageControl& c : page.controls)
        if (c.decl.kind == ControlKind::status_box && page.layout->h > 0)
            room = std::min(room, std::size_t(std::max(1, c.decl.h * rows / page.layout->h - 1)));
    std::vector<std::string> lines{screen_text("== " + page.title + " ==", width)};
    for (std::string& line : draw_rows(page, layout, width, std::max<std::size_t>(room, 3))) lines.push_back(line);
    if (lines.size() > std::size_t(rows) - 1) lines.resize(std::size_t(rows) - 1);
    lines.resize(std::size_t(rows) - 1);
    lines.push_back(screen_text(help, width));
    return lines;
}
