#include "unit/configuration.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

#include "link/commands.h"
#include "link/connection.h"
#include "link/responsive_wait.h"
#include "output/log.h"
#include "output/status_shown.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/window.h"
#include "unit/parameter_lines.h"

namespace {
// The number of parameters a unit usually sends; the bar reaches its end there.
constexpr int expected_parameters = 166;
constexpr uint32_t line_wait_ms = 5000;

void show_progress(Page page) {
    control_enable(page, configuration_progress_control, true);
    control_show(page, configuration_progress_control, true);
}

// The list goes to a file beside the target, which replaces the target only
// once the list is complete.
struct PartFile {
    std::string path;
    std::FILE* file = nullptr;

    ~PartFile() { discard(); }
    void discard() {
        if (file) std::fclose(file);
        file = nullptr;
        if (!path.empty()) std::remove(path.c_str());
        path.clear();
    }
};

int refuse_line(const LineFault& fault, const std::string& line) {
    const auto ch = static_cast<unsigned char>(line[fault.position]);
    status_show("Problem reading HTAWS parameters\r");
    if (fault.rule == 3)
        status_show(formatted("5: iRet = %d, \r\nwork = \"%s\"\r\n", static_cast<int>(line.size()), line.c_str()));
    else if (fault.rule == 1)
        status_show(formatted("3: iRet = %d, i = %d, ch = \"%c\", ch(hex) = 0x%02x, \r\nwork = \"%s\"\r\n",
                              static_cast<int>(line.size()), static_cast<int>(fault.position), ch, ch, line.c_str()));
    else
        status_show(formatted("4: iRet = %d, i = %d, ch = \"%c\", \r\nwork = \"%s\"\r\n", static_cast<int>(line.size()),
                              static_cast<int>(fault.position), ch, line.c_str()));
    log_write("Configuration File Transfer Error ... Abort Parameter Read");
    return 1;
}

int refuse_file_write(int err, bool stream_error) {
    const std::string message = stream_error ? "File Write error: " + system_error_text(err) + "\n"
                                             : std::string("File Write error: <unknown error>\n");
    status_show(message + "\r\n");
    message_box(message, "IO Error ...", BoxButtons::ok, BoxIcon::warning);
    return 1;
}

bool replace_target(const std::string& part, const std::string& target) {
    std::error_code ec;
    std::filesystem::rename(part, target, ec);
    if (!ec) return true;
    status_note("Could not replace '%s': %s\n", target.c_str(), ec.message().c_str());
    return false;
}
}  // namespace

int read_configuration(Page page, const std::string& target) {
    status_show("Reading configuration from unit\r\n");
    PartFile part;
    part.path = target + ".part";
    if (!path_fits(part.path)) {
        part.path.clear();
        status_note("strerror says open error: %s\n", path_too_long_message(target).c_str());
        return 1;
    }
    errno = 0;
    part.file = std::fopen(part.path.c_str(), "w");
    if (!part.file) {
        const int err = errno;
        part.path.clear();
        status_note("strerror says open error: %s\n", system_error_text(err).c_str());
        return 1;
    }
    if (!wait_responsive(500) || !unit_send_command("RP\r\n")) return 1;
    int stored = 0;
    int shown = 0;
    char reply[parameter_line_limit + 2];
    for (;;) {
        const int length = unit_read_line(reply, sizeof reply, line_wait_ms);
        if (g_commands.abort_requested) return 1;
        if (length < 0) return 1;
        if (length == 0) break;
        const std::string line(reply, static_cast<std::size_t>(length));
        if (const LineFault fault = check_parameter_line(line); fault.rule != 0) return refuse_line(fault, line);
        status_note("%s\r\n", line.c_str());
        if (shown <= 1000) {
            shown = stored * 1000 / expected_parameters;
            show_progress(page);
            progress_set_position(page, configuration_progress_control, shown);
        }
        errno = 0;
        std::fputs(line.c_str(), part.file);
        std::fputc('\n', part.file);
        if (std::ferror(part.file)) return refuse_file_write(errno, true);
        ++stored;
    }
    status_show("Done reading configuration\r\n");
    errno = 0;
    const bool closed = std::fclose(part.file) == 0;
    part.file = nullptr;
    if (!closed) return refuse_file_write(errno, errno != 0);
    if (!replace_target(part.path, target)) return 1;
    part.path.clear();
    return 0;
}

namespace {
bool starts_with_nocase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

void config_file_error(const char* text) {
    log_write(text);
    message_box(text, "CONFIGURATION FILE ERROR", BoxButtons::ok, BoxIcon::error);
}

// The header's model and serial checks and the technician's confirmation.
bool factory_file_accepted(std::string_view header, const ConfigurationWrite& write) {
    const std::string_view model = header.substr(header.find("ModelID=") + 8);
    if (!starts_with_nocase(model, write.model)) {
        config_file_error(
            "Selected configuration file is incompatible with the connected unit model.\n"
            "Configuration file upload aborted.");
        return false;
    }
    const std::string serial_text(header.substr(header.find("Serial=") + 7));
    const unsigned long serial = std::strtoul(serial_text.c_str(), nullptr, 16);
    if (serial != write.serial && !starts_with_nocase(serial_text, "UNIVERSAL")) {
        config_file_error(
            "Selected configuration file is incompatible with the connected unit serial number.\n"
            "Configuration file upload aborted.");
        return false;
    }
    return message_box(
               "You are about to update the Factory Settings.\nDoing this may make your unit inoperable.\n"
               "This operation should be performed only under \nthe explicit direction of the Veltra factory.\n\n"
               "Do you wish to update the Factory Settings?",
               "FACTORY SETTING OVERWRITE", BoxButtons::yes_no, BoxIcon::warning) == BOX_YES;
}
}  // namespace

int write_configuration(Page page, const ConfigurationWrite& write) {
    std::FILE* file = std::fopen(write.source.c_str(), "r");
    if (!file) return 1;
    std::string first;
    read_parameter_line(file, first);
    const bool factory = is_factory_header(first);
    if (factory && !factory_file_accepted(first, write)) {
        std::fclose(file);
        return 1;
    }
    int count = 0;
    std::rewind(file);
    // Lines that fail the validity rule are skipped, not sent: the bar's end
    // belongs to the last line that goes out.
    for_each_sent_line(file, factory, [&](std::string_view line) {
        if (check_parameter_line(line).rule == 0) ++count;
        return true;
    });
    std::fclose(file);

    if (!connect_unit() || !unit_send_command("WP\r\n")) return 1;
    status_show(write.current_generation ? "Sending configuration to unit\r\n" : "Writing configuration to unit\r\n");

    file = std::fopen(write.source.c_str(), "r");
    if (!file) return 1;
    int sent = 0;
    bool written = true;
    for_each_sent_line(file, factory, [&](std::string_view line) {
        if (const LineFault fault = check_parameter_line(line); fault.rule != 0) {
            report_ignored_line(line, fault);
            return true;
        }
        const std::string text(line);
        written = unit_send_command("%s\r\n", text.c_str());
        if (!written) return false;
        show_progress(page);
        if (count > 1) progress_set_position(page, configuration_progress_control, sent * 1000 / (count - 1));
        ++sent;
        status_note("%s\r\n", text.c_str());
        return wait_responsive(10);
    });
    std::fclose(file);
    if (!written || g_commands.abort_requested) return 1;
    if (write.current_generation) {
        status_show("Writing to configuration module\r\n");
        status_show("This may take a minute...\r\n");
    } else {
        status_show("Done writing configuration, waiting for reply...\r\n");
    }
    return unit_send_command("\r\n") ? 0 : 1;
}
