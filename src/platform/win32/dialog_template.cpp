#include "platform/win32/dialog_template.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {
// The dialog font of every page.
constexpr const char* dialog_font = "MS Sans Serif";
constexpr WORD dialog_font_points = 8;

// Predefined window class atoms of dialog items.
constexpr WORD button_atom = 0x0080;
constexpr WORD edit_atom = 0x0081;
constexpr WORD static_atom = 0x0082;
constexpr WORD list_box_atom = 0x0083;

// Appends words to the template, which is kept as raw bytes until the end.
class TemplateWriter {
public:
    void word(WORD w) { put(&w, sizeof w); }
    void dword(DWORD d) { put(&d, sizeof d); }
    void text(std::string_view s) {
        for (unsigned char c : s) word(c);
        word(0);
    }
    void ordinal(WORD id) {
        word(0xFFFF);
        word(id);
    }
    void align() {
        while (bytes_.size() % 4) bytes_.push_back(0);
    }
    std::vector<uint32_t> finish() {
        align();
        std::vector<uint32_t> out(bytes_.size() / 4);
        std::memcpy(out.data(), bytes_.data(), bytes_.size());
        return out;
    }

private:
    void put(const void* p, std::size_t n) {
        const auto* b = static_cast<const unsigned char*>(p);
        bytes_.insert(bytes_.end(), b, b + n);
    }
    std::vector<unsigned char> bytes_;
};

DWORD kind_style(const ControlDecl& c) {
    switch (c.kind) {
        case ControlKind::button: return BS_PUSHBUTTON | WS_TABSTOP;
        case ControlKind::default_button: return BS_DEFPUSHBUTTON | WS_TABSTOP;
        // The page decides which choice is checked, across its group boxes; the
        // checked one is the tab stop (see control_check).
        case ControlKind::radio: return BS_RADIOBUTTON;
        case ControlKind::group_box: return BS_GROUPBOX;
        case ControlKind::static_text:
            return ((c.flags & CF_CENTRED) ? SS_CENTER : SS_LEFT) | ((c.flags & CF_SUNKEN) ? SS_SUNKEN : 0);
        case ControlKind::text_box: return ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
        case ControlKind::status_box: return ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER;
        case ControlKind::progress: return WS_BORDER;
        case ControlKind::list_box: return LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP;
        // Stretched to the declared size, whatever the screen's font scaling.
        case ControlKind::picture: return SS_BITMAP | SS_REALSIZECONTROL;
        case ControlKind::separator: return SS_ETCHEDHORZ;
    }
    return 0;
}

DWORD item_style(const ControlDecl& c) {
    // Radios join the group their group box starts, so the arrow keys move among them.
    DWORD style = WS_CHILD | kind_style(c);
    if (c.kind != ControlKind::radio) style |= WS_GROUP;
    if (!(c.flags & CF_HIDDEN)) style |= WS_VISIBLE;
    if (c.flags & CF_DISABLED) style |= WS_DISABLED;
    if ((c.flags & CF_READ_ONLY) && (c.kind == ControlKind::text_box || c.kind == ControlKind::status_box))
        style |= ES_READONLY;
    return style;
}

void item_class(TemplateWriter& w, ControlKind kind) {
    switch (kind) {
        case ControlKind::button:
        case ControlKind::default_button:
        case ControlKind::radio:
        case ControlKind::group_box: return w.ordinal(button_atom);
        case ControlKind::text_box:
        case ControlKind::status_box: return w.ordinal(edit_atom);
        case ControlKind::list_box: return w.ordinal(list_box_atom);
        case ControlKind::progress: return w.text(PROGRESS_CLASSA);
        case ControlKind::static_text:
        case ControlKind::picture:
        case ControlKind::separator: return w.ordinal(static_atom);
    }
}
}  // namespace

std::vector<uint32_t> dialog_template(const PageLayout& layout) {
    TemplateWriter w;
    DWORD style = WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
    if (layout.system_menu) style |= WS_SYSMENU;
    w.dword(style);
    w.dword(0);
    w.word(WORD(layout.controls.size()));
    for (int v : {0, 0, layout.w, layout.h}) w.word(WORD(short(v)));
    w.word(0);  // no menu
    w.word(0);  // the standard dialog class
    w.text(layout.caption);
    w.word(dialog_font_points);
    w.text(dialog_font);
    for (const ControlDecl& c : layout.controls) {
        w.align();
        w.dword(item_style(c));
        w.dword(0);
        for (int v : {c.x, c.y, c.w, c.h}) w.word(WORD(short(v)));
        w.word(WORD(c.id));
        item_class(w, c.kind);
        if (c.kind == ControlKind::picture)
            w.ordinal(WORD(std::atoi(c.text)));
        else
            w.text(c.text);
        w.word(0);  // no creation data
    }
    return w.finish();
}
