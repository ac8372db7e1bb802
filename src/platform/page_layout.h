#pragma once
// The declaration of a page or dialog: its controls with ids, kinds, texts and
// layout in dialog units. Every window backend builds its pages from these
// declarations, so the Win32 templates and the terminal layout cannot drift.
#include <array>
#include <cstddef>
#include <span>

enum class ControlKind {
    button,
    default_button,
    radio,
    group_box,
    static_text,
    text_box,
    status_box,  // multi-line, vertical scroll bar, fixed-pitch font
    progress,
    list_box,
    picture,
    separator,
};

// Initial state flags of a control.
enum ControlFlag : unsigned {
    CF_NONE = 0,
    CF_HIDDEN = 1u << 0,
    CF_DISABLED = 1u << 1,
    CF_READ_ONLY = 1u << 2,
    CF_CENTRED = 1u << 3,
    CF_SUNKEN = 1u << 4,
};

struct ControlDecl {
    int id;             // -1 for controls nobody addresses (frames, labels)
    ControlKind kind;
    const char* text;   // label, initial text, or picture resource name
    int x, y, w, h;     // dialog units
    unsigned flags = CF_NONE;
};

struct PageLayout {
    int template_id;
    const char* caption;
    int w, h;                  // dialog units
    bool system_menu;          // false for the splash
    std::span<const ControlDecl> controls;
};

// One declaration made of two, for pages that share a block of controls.
template <std::size_t N, std::size_t M>
constexpr std::array<ControlDecl, N + M> join_controls(const std::array<ControlDecl, N>& first,
                                                       const std::array<ControlDecl, M>& second) {
    std::array<ControlDecl, N + M> all{};
    for (std::size_t i = 0; i < N; ++i) all[i] = first[i];
    for (std::size_t i = 0; i < M; ++i) all[N + i] = second[i];
    return all;
}
