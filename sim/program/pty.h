#pragma once
// The pseudo-terminal the simulated unit serves, and its registration: in the
// virtual ports folder that the uploader's port enumeration reads, or as a
// Wine COM port.
#include <cstddef>
#include <string>

struct Pty {
    int master = -1;
    int slave = -1;  // kept open so the line does not hang up between the uploader's opens
    std::string slave_path;
    // Bytes the pty holds on their way from the uploader to the unit: what a
    // writer on the slave side gets in before the unit has read any of them.
    std::size_t buffered = 0;
};

// Opens a raw pseudo-terminal; false with `error` set on failure.
bool pty_open(Pty& pty, std::string& error);
void pty_close(Pty& pty);

// "/tmp/htaws-ports-<uid>/<name>", creating the folder (mode 0700) when missing;
// false when the folder is not the user's own or others may write to it.
bool default_registration(const std::string& name, std::string& path, std::string& error);
// "$WINEPREFIX/dosdevices/comN"; false when WINEPREFIX is not set.
bool wine_com_registration(int number, std::string& path, std::string& error);
// Makes the pty the controlling terminal of a new session of this process.
// Wine opens a COM port's device without keeping it from becoming the
// wineserver's terminal, and the wineserver then floods its output when the
// line hangs up.
bool pty_make_controlling(const Pty& pty, std::string& error);
// Makes `path` a symbolic link to the pty; a stale link is replaced.
bool register_port(const std::string& path, const Pty& pty, std::string& error);
// Removes the link if it still points at the pty.
void unregister_port(const std::string& path, const Pty& pty);
