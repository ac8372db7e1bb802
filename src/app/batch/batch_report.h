#pragma once
// The result of a run from the command line as one JSON object:
// {"function", "outcome": "completed"|"failed", "message",
//  "unit": {"model", "serial", "generation"} or null,
//  "files": [{"path", "direction": "sent"|"received", "size", "checksum"}]}.
// A file that cannot be read has a null size and checksum.
#include <ostream>
#include <string>
#include <vector>

#include "catalogue/loader_function.h"

struct BatchFile {
    std::string path;
    bool sent = true;
};

// The files the function sent (or, reading a configuration, received).
std::vector<BatchFile> batch_files(LoaderFunction function);
void write_batch_json(LoaderFunction function, const std::vector<BatchFile>& files, std::ostream& out);
