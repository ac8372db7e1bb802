#pragma once
// The pseudo-terminal the simulated unit serves, and its registration in the
// virtual ports folder that the uploader's port enumeration reads.
#include <string>

struct Pty {
    int master = -1;
    int slave = -1;  // kept open so the line does not hang up between the uploader's opens
    std::string slave_path;
};

// Opens a raw pseudo-terminal; false with `error` set on failure.
bool pty_open(Pty& pty, std::string& error);
void pty_close(Pty& pty);

// "/tmp/htaws-ports-<uid>/<name>", creating the folder (mode 0700) when missing;
// false when the folder is not the user's own or others may write to it.
bool default_registration(const std::string& name, std::string& path, std::string& error);
// Makes `path` a symbolic link to the pty; a stale link is replaced.
bool register_port(const std::string& path, const Pty& pty, std::string& error);
// Removes the link if it still points at the pty.
void unregister_port(const std::string& path, const Pty& pty);
