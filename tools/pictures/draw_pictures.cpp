// Draws the pictures and the icon of the Windows program into a folder: 8-bit
// RLE8 bitmaps and a 16, 32 and 48 pixel icon, the same bytes on every run.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <numbers>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "formats/byte_order.h"

namespace {
namespace fs = std::filesystem;

enum Colour : uint8_t {
    Clear,  // the icon's transparent pixels
    Dialog,
    White,
    Black,
    Shadow,
    BezelEdge,
    Bezel,
    BezelLight,
    Lettering,
    Key,
    KeyTop,
    Knob,
    KnobCap,
    Green,
    Yellow,
    Red,
    Ring,
    Cable,
    Plug,
    PlugDark,
    CaseLight,
    CaseDark,
    Screen,
    ScreenLight,
    Progress,
    Alarm,
    Outline,
    Box,
    BoxDark,
    BoxScreen,
    Search,
    colour_count
};

constexpr uint32_t palette[] = {
    0xFF00FF, 0xF0F0F0, 0xFFFFFF, 0x000000, 0xC9C9C9, 0x151618, 0x2B2D31, 0x4B4F55,
    0xD4D6D9, 0x5A5F66, 0x8C9299, 0x1C1D20, 0x70767D, 0x1FA52B, 0xF2D21B, 0xE0271F,
    0x6FD8F5, 0x3A3B3D, 0xBCC0C5, 0x73777C, 0xCDD1D6, 0x8E9399, 0x1F4E8C, 0x5A94D8,
    0x37B34A, 0xD81E1E, 0x7A7A7A, 0xA9ADB2, 0x6D7177, 0xDCE3E8, 0x2F7FD8,
};
static_assert(std::size(palette) == colour_count);

struct Point {
    double x, y;
};

struct Area {
    double x0, y0, x1, y1;
    double w() const { return x1 - x0; }
    double h() const { return y1 - y0; }
    double x(double f) const { return x0 + f * w(); }
    double y(double f) const { return y0 + f * h(); }
    Point at(double fx, double fy) const { return {x(fx), y(fy)}; }
    Area part(double fx0, double fy0, double fx1, double fy1) const { return {x(fx0), y(fy0), x(fx1), y(fy1)}; }
    Area inset(double d) const { return {x0 + d, y0 + d, x1 - d, y1 - d}; }
    Area moved(double dx, double dy) const { return {x0 + dx, y0 + dy, x1 + dx, y1 + dy}; }
};

// Palette indices, top row first. A pixel belongs to a shape when its centre does.
struct Canvas {
    int width, height;
    std::vector<uint8_t> pixels;
    Area clip;

    Canvas(int w, int h, Colour background)
        : width(w), height(h), pixels(std::size_t(w) * std::size_t(h), background), clip{0, 0, double(w), double(h)} {}

    void set(int x, int y, Colour colour) {
        const double cx = x + 0.5, cy = y + 0.5;
        if (cx < clip.x0 || cx >= clip.x1 || cy < clip.y0 || cy >= clip.y1) return;
        pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)] = colour;
    }
    Area whole() const { return {0, 0, double(width), double(height)}; }
};

template <class Inside>
void fill(Canvas& c, Area bounds, Colour colour, Inside inside) {
    const int y0 = std::max(0, int(std::floor(bounds.y0))), y1 = std::min(c.height, int(std::ceil(bounds.y1)));
    const int x0 = std::max(0, int(std::floor(bounds.x0))), x1 = std::min(c.width, int(std::ceil(bounds.x1)));
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (inside(x + 0.5, y + 0.5)) c.set(x, y, colour);
}

void rect(Canvas& c, Area a, Colour colour) {
    fill(c, a, colour, [&](double x, double y) { return x >= a.x0 && x < a.x1 && y >= a.y0 && y < a.y1; });
}

void rounded(Canvas& c, Area a, double radius, Colour colour) {
    fill(c, a, colour, [&](double x, double y) {
        const double dx = std::max({a.x0 + radius - x, 0.0, x - (a.x1 - radius)});
        const double dy = std::max({a.y0 + radius - y, 0.0, y - (a.y1 - radius)});
        return dx * dx + dy * dy <= radius * radius;
    });
}

void disc(Canvas& c, Point p, double r, Colour colour) {
    fill(c, {p.x - r, p.y - r, p.x + r, p.y + r}, colour,
         [&](double x, double y) { return (x - p.x) * (x - p.x) + (y - p.y) * (y - p.y) <= r * r; });
}

// Angles in degrees, counter-clockwise from the right as the picture is seen.
void arc(Canvas& c, Point p, double r, double thickness, double from, double to, Colour colour) {
    const double outer = r + thickness / 2, inner = r - thickness / 2;
    fill(c, {p.x - outer, p.y - outer, p.x + outer, p.y + outer}, colour, [&](double x, double y) {
        const double d = std::hypot(x - p.x, y - p.y);
        const double angle = std::atan2(p.y - y, x - p.x) * 180 / std::numbers::pi;
        return d >= inner && d <= outer && angle >= from && angle <= to;
    });
}

void line(Canvas& c, Point a, Point b, double thickness, Colour colour) {
    const double half = thickness / 2;
    const Area bounds{std::min(a.x, b.x) - half, std::min(a.y, b.y) - half, std::max(a.x, b.x) + half,
                      std::max(a.y, b.y) + half};
    const double dx = b.x - a.x, dy = b.y - a.y, length2 = dx * dx + dy * dy;
    fill(c, bounds, colour, [&](double x, double y) {
        const double t = length2 > 0 ? std::clamp(((x - a.x) * dx + (y - a.y) * dy) / length2, 0.0, 1.0) : 0.0;
        return std::hypot(x - (a.x + t * dx), y - (a.y + t * dy)) <= half;
    });
}

void dashed(Canvas& c, Point a, Point b, double thickness, double dash, Colour colour) {
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    const auto along = [&](double d) { return Point{a.x + (b.x - a.x) * d / length, a.y + (b.y - a.y) * d / length}; };
    for (double d = 0; d < length; d += 2 * dash)
        line(c, along(d), along(std::min(d + dash, length)), thickness, colour);
}

void polygon(Canvas& c, const std::vector<Point>& points, Colour colour) {
    double top = c.height, bottom = 0;
    for (const Point& p : points) top = std::min(top, p.y), bottom = std::max(bottom, p.y);
    std::vector<double> xs;
    for (int y = std::max(0, int(std::floor(top))); y < std::min(c.height, int(std::ceil(bottom))); ++y) {
        const double cy = y + 0.5;
        xs.clear();
        for (std::size_t i = 0; i < points.size(); ++i) {
            const Point& a = points[i];
            const Point& b = points[(i + 1) % points.size()];
            if ((a.y <= cy) != (b.y <= cy)) xs.push_back(a.x + (cy - a.y) * (b.x - a.x) / (b.y - a.y));
        }
        std::sort(xs.begin(), xs.end());
        for (std::size_t k = 0; k + 1 < xs.size(); k += 2)
            for (int x = std::max(0, int(std::ceil(xs[k] - 0.5))); x < c.width && x + 0.5 < xs[k + 1]; ++x)
                c.set(x, y, colour);
    }
}

// Points given as fractions of an area.
std::vector<Point> in(Area a, std::initializer_list<Point> fractions) {
    std::vector<Point> points;
    for (const Point& f : fractions) points.push_back(a.at(f.x, f.y));
    return points;
}

// A left-right symmetric shape from its right half, listed top to bottom on the axis x = 0.5.
std::vector<Point> symmetric(Area a, std::initializer_list<Point> right_half) {
    std::vector<Point> points = in(a, right_half);
    for (auto p = right_half.end(); p != right_half.begin();) {
        --p;
        points.push_back(a.at(1 - p->x, p->y));
    }
    return points;
}

void curve(Canvas& c, Point a, Point b, Point ca, Point cb, double thickness, Colour colour) {
    constexpr int steps = 40;
    Point last = a;
    for (int i = 1; i <= steps; ++i) {
        const double t = double(i) / steps, u = 1 - t;
        const Point p{u * u * u * a.x + 3 * u * u * t * ca.x + 3 * u * t * t * cb.x + t * t * t * b.x,
                      u * u * u * a.y + 3 * u * u * t * ca.y + 3 * u * t * t * cb.y + t * t * t * b.y};
        line(c, last, p, thickness, colour);
        last = p;
    }
}

struct Glyph {
    char ch;
    uint8_t rows[7];
};
constexpr Glyph font[] = {
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}}, {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},
    {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'?', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x00, 0x04}},
};

// 5x7 letters of `dot` pixels each, centred on `centre`.
void label(Canvas& c, Point centre, double dot, std::string_view text, Colour colour) {
    const double left = centre.x - (6.0 * double(text.size()) - 1) * dot / 2, top = centre.y - 3.5 * dot;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto g = std::find_if(std::begin(font), std::end(font), [&](const Glyph& f) { return f.ch == text[i]; });
        if (g == std::end(font)) continue;
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col)
                if (g->rows[row] & (0x10 >> col)) {
                    const double x = left + (6.0 * double(i) + col) * dot, y = top + row * dot;
                    rect(c, {x, y, x + dot, y + dot}, colour);
                }
    }
}

// The colour display: terrain ahead in elevation bands, range rings (too busy on a small icon),
// the aircraft at the bottom.
void terrain_display(Canvas& c, Area s, bool rings) {
    rect(c, s, Black);
    c.clip = s;
    polygon(c, in(s, {{0, 0}, {1, 0}, {1, 0.62}, {0.88, 0.55}, {0.78, 0.64}, {0.64, 0.54}, {0.5, 0.6},
                      {0.36, 0.49}, {0.22, 0.58}, {0.1, 0.5}, {0, 0.6}}),
            Green);
    polygon(c, in(s, {{0, 0}, {0.62, 0}, {0.57, 0.13}, {0.66, 0.24}, {0.52, 0.36}, {0.38, 0.29}, {0.26, 0.4},
                      {0.12, 0.32}, {0, 0.38}}),
            Yellow);
    polygon(c, in(s, {{0.8, 0}, {1, 0}, {1, 0.34}, {0.9, 0.38}, {0.83, 0.24}, {0.86, 0.12}}), Yellow);
    polygon(c, in(s, {{0, 0}, {0.36, 0}, {0.31, 0.1}, {0.2, 0.19}, {0.08, 0.14}, {0, 0.2}}), Red);
    polygon(c, in(s, {{0.91, 0}, {1, 0}, {1, 0.16}, {0.94, 0.11}}), Red);
    const Point aircraft = s.at(0.5, 0.88);
    if (rings)
        for (double r : {0.36, 0.72}) arc(c, aircraft, s.w() * r, std::max(1.0, s.w() * 0.012), 10, 170, Ring);
    c.clip = c.whole();
    const double size = std::max(3.5, s.w() * 0.09);
    polygon(c,
            symmetric({aircraft.x - size, aircraft.y - size, aircraft.x + size, aircraft.y + size},
                      {{0.5, 0}, {0.58, 0.12}, {0.58, 0.4}, {1, 0.62}, {1, 0.74}, {0.58, 0.62}, {0.56, 0.86},
                       {0.72, 0.96}, {0.72, 1}, {0.5, 0.96}}),
            White);
}

void key(Canvas& c, Area k) {
    const double r = std::min(k.w(), k.h()) * 0.3;
    rounded(c, k, r, KeyTop);
    rounded(c, {k.x0, k.y0 + std::max(1.0, k.h() * 0.15), k.x1, k.y1}, r, Key);
}

void knob(Canvas& c, Point p, double r) {
    disc(c, p, r, Knob);
    disc(c, p, r * 0.72, KnobCap);
    line(c, p, {p.x, p.y - r * 0.62}, std::max(1.0, r * 0.16), Lettering);
}

// The instrument's case with its shadow.
void bezel(Canvas& c, Area u) {
    const double radius = std::min(u.w(), u.h()) * 0.07;
    rounded(c, u.moved(u.w() * 0.025, u.w() * 0.03), radius, Shadow);
    rounded(c, u, radius, BezelEdge);
    rounded(c, u.inset(std::max(1.0, u.w() * 0.014)), radius * 0.85, Bezel);
    for (Point p : {Point{0.045, 0.045}, {0.955, 0.045}, {0.045, 0.955}, {0.955, 0.955}})
        disc(c, u.at(p.x, p.y), u.w() * 0.014, BezelLight);
}

void display_in_recess(Canvas& c, Area s) {
    rect(c, s.inset(-std::max(1.0, s.w() * 0.025)), BezelLight);
    terrain_display(c, s, true);
}

// The RK5200H seen from the front, in a square area.
void rk5200h_unit(Canvas& c, Area u) {
    bezel(c, u);
    display_in_recess(c, u.part(0.2, 0.16, 0.8, 0.76));
    label(c, u.at(0.5, 0.085), std::max(1.0, std::round(u.w() / 120)), "RK5200H", Lettering);
    for (int i = 0; i < 4; ++i) {
        const double top = 0.2 + 0.14 * i;
        key(c, u.part(0.05, top, 0.14, top + 0.08));
        key(c, u.part(0.86, top, 0.95, top + 0.08));
    }
    for (int i = 0; i < 3; ++i) key(c, u.part(0.33 + 0.12 * i, 0.84, 0.43 + 0.12 * i, 0.9));
    knob(c, u.at(0.14, 0.87), u.w() * 0.07);
    knob(c, u.at(0.86, 0.87), u.w() * 0.07);
}

// A laptop seen from the front; returns its screen.
Area laptop(Canvas& c, Area l) {
    const Area lid = l.part(0.1, 0, 0.9, 0.86);
    rounded(c, lid, lid.w() * 0.04, CaseDark);
    const Area screen = lid.inset(lid.w() * 0.05);
    rect(c, screen, Screen);
    polygon(c, in(l, {{0.06, 0.86}, {0.94, 0.86}, {1, 0.97}, {0, 0.97}}), CaseLight);
    rect(c, l.part(0, 0.97, 1, 1), CaseDark);
    rect(c, l.part(0.42, 0.86, 0.58, 0.9), CaseDark);
    return screen;
}

// A window on the laptop's screen with a progress bar `done` full.
void progress_window(Canvas& c, Area screen, double done) {
    const Area window = screen.part(0.12, 0.18, 0.88, 0.82);
    rect(c, window, Dialog);
    rect(c, window.part(0, 0, 1, 0.2), ScreenLight);
    const Area bar = window.part(0.1, 0.5, 0.9, 0.72);
    rect(c, bar, White);
    rect(c, bar.part(0, 0, done, 1), Progress);
}

void cross(Canvas& c, Point p, double size, double thickness) {
    line(c, {p.x - size, p.y - size}, {p.x + size, p.y + size}, thickness, Alarm);
    line(c, {p.x - size, p.y + size}, {p.x + size, p.y - size}, thickness, Alarm);
}

// The scene the connection pictures share: an instrument drawn by the caller in the top area,
// a laptop below, the USB cable between them; returns the laptop's screen.
Area connected(Canvas& c, Area unit, Area pc) {
    const Point port = {unit.x(0.5), unit.y1}, socket = {pc.x0 + pc.w() * 0.03, pc.y(0.92)};
    const double drop = (pc.y0 - unit.y1) * 0.6, thickness = std::max(2.0, c.width * 0.018);
    curve(c, port, socket, {port.x, port.y + drop}, {socket.x - drop, socket.y}, thickness, Cable);
    for (Point end : {port, socket}) disc(c, end, thickness * 1.1, PlugDark);
    return laptop(c, pc);
}

// The RK5200H from its top-left corner `at`, on its cable to a laptop showing a progress bar `done` full.
void rk5200h_on_laptop(Canvas& c, Point at, double done) {
    const Area unit{at.x, at.y, at.x + 171, at.y + 171};
    progress_window(c, connected(c, unit, {unit.x0 + 34, unit.y1 + 48, unit.x0 + 184, unit.y1 + 128}), done);
    rk5200h_unit(c, unit);
}

void draw_transfer(Canvas& c) {
    rk5200h_on_laptop(c, {22, 14}, 0.6);
    const Point tip = {140, 197};
    polygon(c, in({tip.x - 10, tip.y, tip.x + 10, tip.y + 34}, {{0.5, 0}, {1, 0.4}, {0.7, 0.4}, {0.7, 1}, {0.3, 1},
                                                              {0.3, 0.4}, {0, 0.4}}),
            Progress);
}

void draw_waiting(Canvas& c) {
    rk5200h_on_laptop(c, {27, 14}, 0);
    const Point from = {187, 222};
    for (int i = 1; i <= 3; ++i) arc(c, from, 9.0 * i, 3.5, 20, 110, Search);
    disc(c, from, 3, Search);
}

// The setup page: the unit on its cable to the laptop, nothing running yet.
void draw_setup(Canvas& c) {
    const Area unit{8, 24, 142, 158};
    connected(c, unit, {14, 210, 136, 276});
    rk5200h_unit(c, unit);
}

void draw_rk5200h(Canvas& c) { rk5200h_unit(c, {16, 14, 300, 298}); }

// A wider member of the family: the display on the left, a key block and one knob on the right.
void draw_family(Canvas& c) {
    const Area u{10, 52, 310, 272};
    bezel(c, u);
    const double side = u.h() * 0.72;
    const Area s{u.x(0.06), u.y(0.14), u.x(0.06) + side, u.y(0.14) + side};
    display_in_recess(c, s);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 2; ++col) {
            const double x = 0.66 + 0.14 * col, y = 0.14 + 0.15 * row;
            key(c, u.part(x, y, x + 0.1, y + 0.09));
        }
    knob(c, u.at(0.77, 0.74), u.h() * 0.12);
    for (int i = 0; i < 4; ++i) key(c, u.part(0.08 + 0.13 * i, 0.9, 0.17 + 0.13 * i, 0.95));
}

void draw_no_unit(Canvas& c) {
    const Area unit{80, 12, 243, 175};
    const Point corners[] = {unit.at(0, 0), unit.at(1, 0), unit.at(1, 1), unit.at(0, 1)};
    for (int i = 0; i < 4; ++i) dashed(c, corners[i], corners[(i + 1) % 4], 3, 10, Outline);
    cross(c, unit.at(0.5, 0.5), 42, 13);
    const Area pc{86, 238, 236, 318};
    laptop(c, pc);
    const Point end = {112, 226}, socket = {pc.x0 + pc.w() * 0.03, pc.y(0.92)};
    curve(c, socket, end, {socket.x - 50, socket.y}, {end.x - 10, end.y + 50}, 5.8, Cable);
    const Area plug{end.x - 7, end.y - 16, end.x + 7, end.y + 2};
    rect(c, plug, Plug);
    rect(c, plug.part(0.25, 0, 0.75, 0.35), PlugDark);
}

void draw_other_unit(Canvas& c) {
    const Area unit{70, 14, 253, 197};
    connected(c, unit, {86, 238, 236, 318});
    rounded(c, unit.moved(5, 6), 10, Shadow);
    rounded(c, unit, 10, BoxDark);
    rounded(c, unit.inset(3), 8, Box);
    const Area s = unit.part(0.18, 0.16, 0.82, 0.74);
    rect(c, s.inset(-3), BoxDark);
    rect(c, s, BoxScreen);
    label(c, s.at(0.52, 0.5), 11, "?", BoxDark);
    for (int i = 0; i < 3; ++i) rect(c, unit.part(0.3 + 0.15 * i, 0.82, 0.4 + 0.15 * i, 0.88), BoxDark);
}

// The program icon: an instrument face with its terrain display, on a clear ground.
void draw_icon(Canvas& c) {
    const double s = c.width;
    const Area face{s * 0.03, s * 0.03, s * 0.97, s * 0.97};
    rounded(c, face, s * 0.14, BezelEdge);
    rounded(c, face.inset(std::max(1.0, s * 0.04)), s * 0.11, Bezel);
    terrain_display(c, face.inset(s * 0.11), s >= 32);
}

std::string le16(uint16_t v) {
    uint8_t b[2];
    put_le16(b, v);
    return {char(b[0]), char(b[1])};
}

std::string le32(uint32_t v) {
    uint8_t b[4];
    put_le32(b, v);
    return {char(b[0]), char(b[1]), char(b[2]), char(b[3])};
}

std::string info_header(int width, int height, int bits, uint32_t compression, uint32_t image_size, uint32_t colours) {
    return le32(40) + le32(uint32_t(width)) + le32(uint32_t(height)) + le16(1) + le16(uint16_t(bits)) +
           le32(compression) + le32(image_size) + le32(3780) + le32(3780) + le32(colours) + le32(0);
}

// Encoded runs only: the pictures are flat colour, so runs are long.
std::string rle8(const Canvas& c) {
    std::string out;
    for (int y = c.height - 1; y >= 0; --y) {
        const uint8_t* row = &c.pixels[std::size_t(y) * std::size_t(c.width)];
        for (int x = 0; x < c.width;) {
            int n = 1;
            while (x + n < c.width && n < 255 && row[x + n] == row[x]) ++n;
            out += char(n);
            out += char(row[x]);
            x += n;
        }
        out += '\0';
        out += y == 0 ? '\1' : '\0';
    }
    return out;
}

std::string bmp(const Canvas& c) {
    constexpr uint32_t bi_rle8 = 1, headers = 14 + 40 + 4 * colour_count;
    const std::string data = rle8(c);
    std::string out = "BM" + le32(headers + uint32_t(data.size())) + le32(0) + le32(headers) +
                      info_header(c.width, c.height, 8, bi_rle8, uint32_t(data.size()), colour_count);
    for (uint32_t rgb : palette) out += le32(rgb & 0xFFFFFF);
    return out + data;
}

// One image of the icon: 32-bit BGRA rows bottom-up, then the 1-bit mask (set where clear).
std::string icon_image(const Canvas& c) {
    const int size = c.width, mask_row = (size + 31) / 32 * 4;
    std::string colour, mask;
    for (int y = size - 1; y >= 0; --y) {
        std::string mask_bits(std::size_t(mask_row), '\0');
        for (int x = 0; x < size; ++x) {
            const uint8_t p = c.pixels[std::size_t(y) * std::size_t(size) + std::size_t(x)];
            colour += p == Clear ? le32(0) : le32(0xFF000000 | palette[p]);
            if (p == Clear) mask_bits[std::size_t(x / 8)] = char(mask_bits[std::size_t(x / 8)] | (0x80 >> (x % 8)));
        }
        mask += mask_bits;
    }
    return info_header(size, 2 * size, 32, 0, uint32_t(colour.size() + mask.size()), 0) + colour + mask;
}

std::string ico(std::initializer_list<int> sizes) {
    std::string directory = le16(0) + le16(1) + le16(uint16_t(sizes.size())), images;
    uint32_t offset = uint32_t(6 + 16 * sizes.size());
    for (int size : sizes) {
        Canvas c(size, size, Clear);
        draw_icon(c);
        const std::string image = icon_image(c);
        directory += std::string{char(size), char(size), 0, 0} + le16(1) + le16(32) + le32(uint32_t(image.size())) +
                     le32(offset);
        offset += uint32_t(image.size());
        images += image;
    }
    return directory + images;
}

struct Picture {
    const char* file;
    int width, height;
    void (*draw)(Canvas&);
};
constexpr Picture pictures[] = {
    {"setup_unit.bmp", 150, 325, draw_setup},     {"transfer_unit.bmp", 215, 322, draw_transfer},
    {"waiting_unit.bmp", 225, 325, draw_waiting}, {"rk5200h.bmp", 320, 320, draw_rk5200h},
    {"family_unit.bmp", 324, 332, draw_family},   {"no_unit.bmp", 323, 328, draw_no_unit},
    {"other_unit.bmp", 323, 328, draw_other_unit},
};

bool put(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    out.close();
    if (out) return true;
    std::fprintf(stderr, "htaws-draw-pictures: cannot write %s\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: htaws-draw-pictures OUTPUT_FOLDER\n");
        return 2;
    }
    const fs::path folder = argv[1];
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "htaws-draw-pictures: cannot make %s: %s\n", folder.c_str(), error.message().c_str());
        return 1;
    }
    bool ok = true;
    for (const Picture& p : pictures) {
        Canvas c(p.width, p.height, Dialog);
        p.draw(c);
        ok = put(folder / p.file, bmp(c)) && ok;
    }
    ok = put(folder / "uploader.ico", ico({16, 32, 48})) && ok;
    return ok ? 0 : 1;
}
