#pragma once
// One run of a loader function as the load history keeps it: when, with which
// uploader, on which unit, which files with which load checksums, and how it
// ended.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct RecordedFile {
    std::string path;
    uint64_t size = 0;
    // The load checksum the load computed and sent to the unit; none for a
    // file whose load does not send one, or that was not sent.
    std::optional<uint32_t> checksum;
};

struct LoadRecord {
    std::string utc;    // ISO 8601, "2026-12-11T08:14:03Z"
    std::string local;  // ISO 8601 with the offset, "2026-12-11T09:14:03+01:00"
    std::string uploader;
    std::string port;
    std::optional<uint32_t> unit_number;
    std::optional<uint32_t> hardware_id;
    std::string model;
    std::string function;  // as the command line names it
    std::string version;   // the version loaded, as the setup page showed it
    std::vector<RecordedFile> files;
    std::string reset_mode;  // "none", "flt", "mnx" or "fct"
    std::string outcome;     // "completed", "failed" or "cancelled"
    std::string message;     // the last thing the technician saw
    uint64_t duration_ms = 0;
};
