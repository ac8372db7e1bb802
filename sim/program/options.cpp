#include "sim/program/options.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

const char* const options_help =
    "Usage: htaws-unit-sim [options]\n"
    "A simulated HTAWS unit on a pseudo-terminal, registered as a \"Gadget Serial\" port.\n"
    "\n"
    "Identity and contents:\n"
    "  --generation 4|1          current (4) or earlier (1) generation (default 4)\n"
    "  --hardware-id HEX         P table hardware identifier (default 34019000;\n"
    "                            20010000 for the earlier generation)\n"
    "  --unit-number HEX         unit number (default 12345678)\n"
    "  --masks HEX,HEX,HEX,HEX   airport, terrain, obstacle, overlay compatibility masks\n"
    "  --parameters FILE         parameter lines (\"name 0xhhhhhhhh\") answered to RP\n"
    "  --recordings N,N,...      one recording of each size in bytes, or \"none\"\n"
    "                            (default 1500,0,9000: a short one, an empty one,\n"
    "                            one of three packets)\n"
    "  --packet-size N           payload bytes per recording packet (default 4096)\n"
    "  --free A,B,C              free-space numbers answered to DF, hexadecimal\n"
    "Timing and pacing:\n"
    "  --latency MS              delay before each reply (default 0)\n"
    "  --flash-ms MS             earlier generation: flash write time (default 0)\n"
    "  --line-end crlf|lf|cr     ending of reply lines (default crlf)\n"
    "  --nak-every N             busy (NAK) after every N load bytes (default never)\n"
    "  --busy-ms MS              time until the ACK (default 100)\n"
    "Faults:\n"
    "  --silent                  answer nothing\n"
    "  --refuse-mode LETTERS     refuse these load modes (M, P, T)\n"
    "  --no-reply WORD           ignore this command (repeatable: DF, P, QT, ...)\n"
    "  --err-during-body         send \"ERR\" text when a load's last byte arrives\n"
    "  --nak-storm N             N NAKs in every busy pause\n"
    "  --corrupt-table LETTER    send this table (P, T, B, N, Y) with a wrong check\n"
    "  --corrupt-packet N        send recording packet N (from 0) with a wrong check\n"
    "  --corrupt-recording N     with --corrupt-packet: only in recording N\n"
    "  --refuse-recording N      answer \"NO\" to H for recording N\n"
    "  --refuse-blocks N         earlier generation: refuse the first N data blocks\n"
    "  --flash-retries N         earlier generation: answer \"Retry\" N times to W\n"
    "  --silent-blocks N         earlier generation: leave the first N data blocks unanswered\n"
    "  --garbled-above BAUD      earlier generation: refuse data blocks until BR sets BAUD or less\n"
    "  --flash-fails             earlier generation: answer \"ERR\" to the flash write\n"
    "  --bare-delete-answer      answer \"OK\" to DDB without the erased database's detail\n"
    "  --pull-cable-after N      vanish after receiving N bytes\n"
    "  --pull-cable-after-sent N vanish after sending N bytes\n"
    "  --stop-reading-after N    take no more bytes after receiving N (the line stays up)\n"
    "Contents out:\n"
    "  --keep DIR                write the unit's recordings, parameter lines, notes and\n"
    "                            each load's control block and data to DIR as they change\n"
    "                            (loads.txt lists the loads with their verdicts)\n"
    "Registration:\n"
    "  --name TEXT               registered port name (default \"Gadget Serial (simulated)\")\n"
    "  --link PATH               register at PATH instead of /tmp/htaws-ports-<uid>/<name>\n"
    "  --com-port N              serve the Wine COM port N (1..256) of $WINEPREFIX:\n"
    "                            register at $WINEPREFIX/dosdevices/comN; the\n"
    "                            pseudo-terminal becomes the program's own controlling\n"
    "                            terminal, so start it from a script or with setsid(1)\n"
    "  --help                    this text\n"
    "\n"
    "It serves the unit until SIGINT or SIGTERM, printing each command it receives.\n"
    "Exit status: 0 ended by a signal or a pulled cable, 1 the port could not be\n"
    "served or kept, 2 a usage error.\n"
    "\n"
    "Examples:\n"
    "  htaws-unit-sim --keep unit-contents\n"
    "  htaws-unit-sim --generation 1 --flash-ms 300 --name \"Gadget Serial (earlier)\"\n";

namespace {
template <class Field, class Value>
bool assign(Field& field, Value value) {
    field = Field(value);
    return true;
}

constexpr unsigned long max_recording = 64ul << 20;

bool number(const std::string& text, int base, unsigned long& value) {
    if (text.empty() || text[0] == '-') return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoul(text.c_str(), &end, base);
    return errno == 0 && *end == '\0' && value <= 0xFFFFFFFFul;
}

bool numbers(const std::string& text, int base, std::vector<unsigned long>& values) {
    std::stringstream in(text);
    std::string piece;
    unsigned long v;
    while (std::getline(in, piece, ',')) {
        if (!number(piece, base, v)) return false;
        values.push_back(v);
    }
    return !values.empty();
}

bool read_lines(const std::string& path, std::vector<std::string>& lines) {
    std::ifstream in(path);
    if (!in) return false;
    lines.clear();
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return true;
}

// Applies one option with its value; false when the value does not fit.
bool apply(const std::string& opt, const std::string& value, ProgramOptions& o) {
    SimConfig& c = o.config;
    unsigned long n = 0;
    std::vector<unsigned long> list;
    if (opt == "--generation") return number(value, 10, n) && (n == 1 || n == 4) && assign(c.generation, int(n));
    if (opt == "--hardware-id") return number(value, 16, n) && assign(c.p_table.hardware_id, uint32_t(n));
    if (opt == "--unit-number") return number(value, 16, n) && assign(c.p_table.unit_number, uint32_t(n));
    if (opt == "--masks") {
        if (!numbers(value, 16, list) || list.size() != 4) return false;
        c.p_table.airport_mask = c.p_table.airport_mask_earlier = uint32_t(list[0]);
        c.p_table.terrain_mask = c.p_table.terrain_mask_earlier = uint32_t(list[1]);
        c.p_table.obstacle_mask = uint32_t(list[2]);
        c.p_table.overlay_mask = uint32_t(list[3]);
        return true;
    }
    if (opt == "--parameters") return read_lines(value, c.parameters);
    if (opt == "--recordings") {
        o.recordings_given = true;
        if (value == "none") return true;
        if (!numbers(value, 10, list)) return false;
        for (unsigned long size : list)
            if (size > max_recording) return false;
        for (unsigned long size : list) {
            std::vector<uint8_t> rec(size);
            for (std::size_t i = 0; i < size; ++i) rec[i] = uint8_t(i * 13 + c.recordings.size());
            c.recordings.push_back(std::move(rec));
        }
        return true;
    }
    if (opt == "--packet-size") return number(value, 10, n) && n > 0 && assign(c.packet_size, n);
    if (opt == "--free") {
        if (!numbers(value, 16, list) || list.size() != 3) return false;
        c.free_space = {uint32_t(list[0]), uint32_t(list[1]), uint32_t(list[2])};
        return true;
    }
    if (opt == "--latency") return number(value, 10, n) && assign(c.reply_latency_ms, uint32_t(n));
    if (opt == "--flash-ms") return number(value, 10, n) && assign(c.flash_ms, uint32_t(n));
    if (opt == "--line-end") {
        c.line_end = value == "crlf" ? "\r\n" : value == "lf" ? "\n" : value == "cr" ? "\r" : "";
        return !c.line_end.empty();
    }
    if (opt == "--nak-every") return number(value, 10, n) && assign(c.pacing.nak_every, uint32_t(n));
    if (opt == "--busy-ms") return number(value, 10, n) && assign(c.pacing.busy_ms, uint32_t(n));
    if (opt == "--nak-storm") return number(value, 10, n) && n > 0 && assign(c.pacing.naks_per_pause, uint32_t(n));
    if (opt == "--refuse-mode") return assign(c.faults.refused_modes, value);
    if (opt == "--no-reply") return !value.empty() && c.faults.unanswered.insert(value).second;
    if (opt == "--corrupt-table") return value.size() == 1 && assign(c.faults.corrupt_table, value[0]);
    if (opt == "--corrupt-packet") return number(value, 10, n) && n < 0x7FFFFFFF && assign(c.faults.corrupt_packet, int(n));
    if (opt == "--corrupt-recording") return number(value, 10, n) && n < 0x7FFFFFFF && assign(c.faults.corrupt_recording, long(n));
    if (opt == "--refuse-recording") return number(value, 10, n) && n < 0x7FFFFFFF && assign(c.faults.refused_recording, long(n));
    if (opt == "--refuse-blocks") return number(value, 10, n) && n < 0x7FFFFFFF && assign(c.faults.refused_blocks, int(n));
    if (opt == "--flash-retries") return number(value, 10, n) && n < 0x7FFFFFFF && assign(c.faults.flash_retries, int(n));
    if (opt == "--silent-blocks") return number(value, 10, n) && n < 0x7FFFFFFF && assign(c.faults.silent_blocks, int(n));
    if (opt == "--garbled-above") return number(value, 10, n) && assign(c.faults.answers_up_to_baud, uint32_t(n));
    if (opt == "--pull-cable-after") return number(value, 10, n) && assign(c.faults.cable_pulled_after, long(n));
    if (opt == "--pull-cable-after-sent") return number(value, 10, n) && assign(c.faults.cable_pulled_after_sent, long(n));
    if (opt == "--stop-reading-after") return number(value, 10, n) && assign(o.stop_reading_after, long(n));
    if (opt == "--keep") return !value.empty() && assign(o.keep, value);
    if (opt == "--name") return !value.empty() && value.find('/') == std::string::npos && assign(o.name, value);
    if (opt == "--link") return !value.empty() && assign(o.link, value);
    if (opt == "--com-port") return number(value, 10, n) && n >= 1 && n <= 256 && assign(o.com_port, int(n));
    return false;
}
}  // namespace

bool parse_options(int argc, char** argv, ProgramOptions& options, std::string& error) {
    bool identified = false;
    for (int i = 1; i < argc; ++i) {
        std::string opt = argv[i];
        if (opt == "--help") options.help = true;
        else if (opt == "--silent") options.config.faults.silent = true;
        else if (opt == "--err-during-body") options.config.faults.err_during_body = true;
        else if (opt == "--flash-fails") options.config.faults.flash_fails = true;
        else if (opt == "--bare-delete-answer") options.config.faults.bare_delete_answer = true;
        else if (i + 1 < argc && apply(opt, argv[i + 1], options)) {
            identified = identified || opt == "--hardware-id";
            ++i;
        } else {
            error = i + 1 < argc ? "bad option or value: " + opt + " " + argv[i + 1] : "bad option or missing value: " + opt;
            return false;
        }
    }
    if (options.com_port && !options.link.empty()) {
        error = "--com-port and --link exclude each other";
        return false;
    }
    if (options.config.generation != 4 && !identified) options.config.p_table.hardware_id = 0x20010000;
    if (!options.recordings_given) (void)apply("--recordings", "1500,0,9000", options);
    return true;
}
