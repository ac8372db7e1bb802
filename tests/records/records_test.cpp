// The load history: a record's JSON line and back, appends from several
// writers at once, lines cut short or edited by hand, and the table.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "platform/append_file.h"
#include "records/history_file.h"
#include "records/history_table.h"
#include "records/record_json.h"
#include "records/record_time.h"
#include "support/temp_dir.h"

namespace {
LoadRecord sample(std::optional<uint32_t> unit, const char* function, const char* utc, const char* outcome) {
    LoadRecord r;
    r.utc = utc;
    r.local = utc;
    r.uploader = "1.07";
    r.port = "/dev/htaws-unit";
    r.unit_number = unit;
    r.hardware_id = 0x34019000;
    r.model = "RK5200H";
    r.function = function;
    r.version = "61734-TDB-2024-00001";
    r.files = {{"Terrain Files/61734-TDB-2024-00001_header.bin", 1024, 0x0A1B2C3Du},
               {"Terrain Files/61734-TDB-2024-00001_data.bin", 5ull << 32, std::nullopt}};
    r.reset_mode = "none";
    r.outcome = outcome;
    r.message = "Terrain Data Load Successful!";
    r.duration_ms = 8123;
    return r;
}

void expect_same(const LoadRecord& a, const LoadRecord& b) {
    EXPECT_EQ(record_json_line(a), record_json_line(b));
}
}  // namespace

TEST(LoadRecordLine, ReadsBackWhatItWritesWhateverTheTextsHold) {
    LoadRecord r = sample(0x12345678, "terrain", "2026-12-11T08:14:03Z", "failed");
    r.message = "Unit said \"ERR: 3\"\nTry again?\t\x01 \xE2\x82\xAC";
    r.port = "COM7 \\ \xFF";  // not UTF-8: replaced, the line stays JSON
    const std::string line = record_json_line(r);
    ASSERT_EQ(line.back(), '\n');
    EXPECT_EQ(line.find('\n'), line.size() - 1) << "one line";
    const std::optional<LoadRecord> back = record_from_json(std::string_view(line).substr(0, line.size() - 1));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->message, r.message);
    EXPECT_EQ(back->port, "COM7 \\ \xEF\xBF\xBD");
    EXPECT_EQ(back->unit_number, 0x12345678u);
    EXPECT_EQ(back->files[1].size, 5ull << 32);
    EXPECT_EQ(back->files[0].checksum, 0x0A1B2C3Du);
    EXPECT_FALSE(back->files[1].checksum);
    r.port = back->port;
    expect_same(*back, r);
    r.unit_number.reset();
    r.hardware_id.reset();
    expect_same(*record_from_json(record_json_line(r)), r);
}

TEST(LoadRecordLine, LinesThatAreNoRecordAreRefusedWithoutHarm) {
    const std::string whole = record_json_line(sample(0x12345678, "terrain", "2026-12-11T08:14:03Z", "completed"));
    const std::string cases[] = {
        whole.substr(0, whole.size() / 2),
        whole.substr(0, whole.size() - 2),
        "",
        "[]",
        "{\"utc\": \"2026-12-11T08:14:03Z\", \"function\": \"terrain\"}",
        "{\"utc\": 5, \"function\": \"terrain\", \"outcome\": \"completed\"}",
        "{\"utc\": \"2026-12-11T08:14:03Z\", \"function\": \"terrain\", \"outcome\": \"completed\", "
        "\"unit_number\": \"12g\"}",
        "{\"utc\": \"2026-12-11T08:14:03Z\", \"function\": \"x\\uZZZZ\", \"outcome\": \"completed\"}",
        "{\"utc\": \"2026-12-11T08:14:03Z\", \"function\": \"\\ud800\", \"outcome\": \"completed\"}",
        "{\"utc\": \"2026-12-11T08:14:03Z\", \"function\": \"t\", \"outcome\": \"completed\", "
        "\"duration_ms\": 99999999999999999999999}",
        std::string(100000, '[') + std::string(100000, ']'),
    };
    for (const std::string& line : cases) {
        SCOPED_TRACE(line.substr(0, 80));
        EXPECT_FALSE(record_from_json(line));
    }
}

TEST(LoadHistory, WritersAppendingAtOnceLoseAndInterleaveNothing) {
    TempDir dir;
    constexpr int writers = 4, each = 200;
    std::vector<std::thread> threads;
    std::vector<int> failures(writers, 0);
    for (int w = 0; w < writers; ++w)
        threads.emplace_back([&, w] {
            for (int i = 0; i < each; ++i) {
                LoadRecord r = sample(uint32_t(w), "obstacle", "2026-12-11T08:14:03Z", "completed");
                r.message = std::string(std::size_t(500 + i), char('a' + w)) + std::to_string(i);
                std::string error;
                if (!append_history_record(dir.path(), r, error)) ++failures[std::size_t(w)];
            }
        });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(failures, std::vector<int>(writers, 0));
    const HistoryRead history = read_history(history_path(dir.path()));
    EXPECT_TRUE(history.warnings.empty()) << history.warnings.front();
    ASSERT_EQ(history.records.size(), std::size_t(writers * each));
    std::vector<int> count(writers, 0);
    for (const LoadRecord& r : history.records) {
        const int w = int(*r.unit_number);
        EXPECT_EQ(r.message.substr(0, 500), std::string(500, char('a' + w)));
        ++count[std::size_t(w)];
    }
    EXPECT_EQ(count, std::vector<int>(writers, each));
}

TEST(LoadHistory, ALineCutShortIsSkippedWithItsNumberAndDoesNotSwallowTheNext) {
    TempDir dir;
    std::string error;
    const LoadRecord first = sample(1, "terrain", "2026-12-11T08:14:03Z", "completed");
    ASSERT_TRUE(append_history_record(dir.path(), first, error)) << error;
    const std::string path = history_path(dir.path());
    const std::string whole = record_json_line(first);
    ASSERT_TRUE(append_line(path, whole.substr(0, 40), error)) << error;  // a full disk cut it
    HistoryRead history = read_history(path);
    ASSERT_EQ(history.warnings.size(), 1u);
    EXPECT_NE(history.warnings[0].find("line 2 is not a load record"), std::string::npos) << history.warnings[0];
    EXPECT_EQ(history.records.size(), 1u);

    ASSERT_TRUE(append_history_record(dir.path(), sample(2, "obstacle", "2026-12-11T09:00:00Z", "failed"), error));
    history = read_history(path);
    EXPECT_EQ(history.warnings.size(), 1u);
    ASSERT_EQ(history.records.size(), 2u);
    EXPECT_EQ(history.records[1].function, "obstacle");
    EXPECT_FALSE(read_history(dir.file("none.jsonl")).found);
}

TEST(LoadHistory, TableShowsTheLastRunOfEachFunctionOnEachUnit) {
    LoadRecord failed = sample(0x12345678, "terrain", "2026-12-11T09:30:00Z", "failed");
    failed.message = "Unable to open terrain file.\nTry again?";
    LoadRecord read = sample(0x12345678, "read-config", "2026-12-11T09:40:00Z", "completed");
    read.files.clear();
    read.version.clear();
    LoadRecord unnamed = sample(0xABC, "overlay", "2026-12-11T08:21:00Z", "completed");
    unnamed.version.clear();
    const std::vector<LoadRecord> records = {
        sample(0x12345678, "terrain", "2026-12-11T08:14:03Z", "completed"),
        sample(0xABC, "terrain", "2026-12-11T08:20:00Z", "completed"),
        unnamed,
        sample(std::nullopt, "obstacle", "2026-12-11T08:25:00Z", "failed"),
        failed,
        read,
        sample(0x12345678, "terrain", "2026-12-11T10:00:00Z", "completed"),
    };
    std::vector<std::string> lines;
    for (const LoadRecord& r : last_per_unit_and_function(records)) lines.push_back(history_line(r));
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "unit abc: terrain 61734-TDB-2024-00001 loaded 2026-12-11 08:20 UTC, completed",
                         "unit abc: overlay 61734-TDB-2024-00001_header loaded 2026-12-11 08:21 UTC, completed",
                         "unit 12345678: terrain 61734-TDB-2024-00001 loaded 2026-12-11 10:00 UTC, completed",
                         "unit 12345678: read-config run 2026-12-11 09:40 UTC, completed",
                         "unit unknown: obstacle 61734-TDB-2024-00001 2026-12-11 08:25 UTC, failed: "
                         "Terrain Data Load Successful!",
                     }));
    const std::vector<LoadRecord> one = last_per_unit_and_function(records_of_unit(records, 0x12345678));
    ASSERT_EQ(one.size(), 2u);
    EXPECT_EQ(history_line(failed),
              "unit 12345678: terrain 61734-TDB-2024-00001 2026-12-11 09:30 UTC, failed: "
              "Unable to open terrain file.");
    EXPECT_EQ(records_of_unit(records, 7).size(), 0u);
}

#ifndef _WIN32
TEST(LoadRecordTime, LocalTimeCarriesItsOffset) {
    const char* previous = std::getenv("TZ");
    const std::string kept = previous ? previous : "";
    setenv("TZ", "XYZ+03:30", 1);
    tzset();
    EXPECT_EQ(iso_local(std::time_t(86400)), "1970-01-01T20:30:00-03:30");
    EXPECT_EQ(iso_utc(std::time_t(86400)), "1970-01-02T00:00:00Z");
    if (previous) setenv("TZ", kept.c_str(), 1);
    else unsetenv("TZ");
    tzset();
}
#endif
