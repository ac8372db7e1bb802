#include "check/run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#ifndef _WIN32
#include <sys/wait.h>
#endif
#include <functional>
#include <sstream>

#include "output/json_reader.h"
#include "check/media_set.h"
#include "formats/image.h"
#include "formats/sectioned_file.h"
#include "platform/paths.h"
#include "support/fixtures/bytes.h"
#include "support/fixtures/catalogue_files.h"
#include "support/fixtures/database_builder.h"
#include "support/fixtures/load_image_builder.h"
#include "support/temp_dir.h"

namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

Outcome check(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const std::vector<std::string_view> views(args.begin(), args.end());
    const int status = run_check(views, out, err);
    return {status, out.str(), err.str()};
}

std::string fill(std::string form, const std::string& value) {
    const std::size_t at = form.find("%s");
    return at == std::string::npos ? form : form.replace(at, 2, value);
}

std::string kinds_failed(int count) {
    return count == 0 ? "13 of 13 kinds passed.\n" : std::to_string(count) + " of 13 kinds failed.\n";
}

class CheckTest : public ::testing::Test {
protected:
    // A fresh top-level directory holding `files`.
    std::string media(const MediaSet& files) {
        roots.push_back(std::make_unique<TempDir>());
        return write_media_set(roots.back()->path(), files);
    }
    std::vector<std::unique_ptr<TempDir>> roots;
};

TEST_F(CheckTest, ValidSetOffersAndPassesEveryKind) {
    const std::string root = media(valid_media_set());
    const Outcome run = check({root});
    EXPECT_EQ(run.status, check_passed) << run.out;
    EXPECT_EQ(run.out.find("offered: none"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("FAIL"), std::string::npos);
    EXPECT_NE(run.out.find("  offered: 2.1.hhf\n    PASS 2.1.hhf\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("  offered: 61734-TDB-0001-00002\n"), std::string::npos);
    EXPECT_NE(run.out.find("  offered: " + native_path(root, system_hex) + "\n"), std::string::npos);
    EXPECT_TRUE(run.out.ends_with(kinds_failed(0)));
    EXPECT_EQ(run.err, "");
}

TEST_F(CheckTest, EachDefectIsReportedWithTheUploadersMessage) {
    struct Message {
        std::string caption;
        std::string text;  // the first line; "%s" is the path of `at`
        std::string at = {};  // relative; empty: the file changed
    };
    struct Defect {
        const char* name;
        std::string file;  // the file changed (or removed), relative
        std::function<void(std::string&)> change;  // none: the file is removed
        std::vector<Message> messages;
        int failed_kinds = 1;
    };
    const std::string map_name = "61734-NDB-2301-00017";
    const Defect defects[] = {
        {"bad header checksum", main_program, [](std::string& f) { flip_byte(f, hdr_id_text); },
         {{"Error", "Failed to open file '%s'."}}},
        {"bad payload checksum", main_program, [](std::string& f) { flip_byte(f, load_image_header_size + 9); },
         {{"Error", "File CRC check failed for '%s'."}}},
        {"main program not a release", main_program, [](std::string& f) { f = build_load_image({.release = 7}); },
         {{"ERROR", "ERROR : '%s' is NOT a release software version."}}},
        {"bad embedded checksum", main_program,
         [](std::string& f) { f = build_load_image({.embedded = EmbeddedCrc::final_value}); },
         {{"ERROR", "ERROR : '%s' BAD embedded CRC."}}},
        {"OS image of the wrong type", kernel_image,
         [](std::string& f) { f = build_load_image({.type = IMAGE_BOOT, .elf = false}); },
         {{"Error", "Failed to open file '%s'."}}},
        {"truncated map file, also the earlier generation's airport file", airport_file,
         [](std::string& f) { f = truncated(f, f.size() - 100); },
         {{"Error", "Could not read airport file '" + map_name + "'."}, {"Error", "Could not read airport file '%s'."}},
         2},
        {"map checksum stored as the standard CRC-32", airport_file,
         [](std::string& f) { set_le32(f, f.size() - 4, crc_final_of(std::string_view(f).substr(0, f.size() - 4))); },
         {{"Error", "CRC Error on File %s"}, {"Error", "Could not read airport file '" + map_name + "'."}}, 2},
        {"terrain pair whose headers differ", terrain_data,
         [](std::string& f) {
             set_be32(f, 4, be32_at(f, 4) + 1);
             reseal_terrain_header(f, TerrainGeneration::current);
         },
         {{"Error", "Could not read terrain header file '%s'."}}},
        {"incomplete system software set", io_program, nullptr,
         {{"Error", "No loadable programs found in: '%s'.", "System Files"}}},
        {".hex with a bad control block checksum", system_hex,
         [](std::string& f) {
             std::string image = build_system_image({});
             flip_byte(image, 100);
             f = hex_text(image);
         },
         {{"Error", "File '%s' Control Block CRC Error."}}},
        {"parameter line breaking the validity rule", parameter_file,
         [](std::string& f) { f += "Bad/Name 0x00000001\n"; },
         {{"Configuration Character Error ...", "Ignoring configuration value"}}},
    };
    for (const Defect& d : defects) {
        SCOPED_TRACE(d.name);
        MediaSet files = valid_media_set();
        if (d.change)
            d.change(files[d.file]);
        else
            files.erase(d.file);
        const std::string root = media(files);
        const Outcome run = check({root});
        EXPECT_EQ(run.status, check_failed);
        EXPECT_TRUE(run.out.ends_with(kinds_failed(d.failed_kinds))) << run.out;
        for (const Message& m : d.messages) {
            const std::string text = fill(m.text, native_path(root, m.at.empty() ? d.file : m.at));
            EXPECT_NE(run.out.find("[" + m.caption + "] " + text + "\n"), std::string::npos) << text << "\n" << run.out;
        }
    }
}

TEST_F(CheckTest, OneFileIsCheckedAsAnyKind) {
    const std::string root = media(valid_media_set());
    const std::pair<const char*, std::string> valid[] = {
        {"system", main_program},
        {"os", kernel_image},
        {"boot", "System Files/u_boot_4.0.hhf"},
        {"terrain", terrain_info},
        {"airport", airport_file},
        {"obstacle", obstacle_file},
        {"overlay", "Overlay Files/61734-GDB-0001-00001.bin"},
        {"parameter", parameter_file},
        {"hass", "HASS Files/HASS.dat"},
        {"nogamma", "NOGAMMA Files/NOGAMMA.dat"},
        {"earlier-hex", system_hex},
        {"earlier-airport", airport_file},
        {"earlier-terrain", earlier_terrain},
    };
    for (const auto& [kind, file] : valid) {
        SCOPED_TRACE(kind);
        const Outcome run = check({"--file", native_path(root, file), "--as", kind});
        EXPECT_EQ(run.status, check_passed) << run.out;
        EXPECT_TRUE(run.out.ends_with("1 of 1 kinds passed.\n")) << run.out;
    }
    const Outcome wrong = check({"--file", native_path(root, main_program), "--as", "os"});
    EXPECT_EQ(wrong.status, check_failed);
    EXPECT_NE(wrong.out.find("[Error] Failed to open file '" + native_path(root, main_program) + "'."),
              std::string::npos);
}

TEST_F(CheckTest, SectionedFileCodesGiveTheirReasons) {
    struct Case {
        const char* as;
        std::function<void(std::string&)> change;  // none: the file is missing
        const char* message;
    };
    const std::size_t info = db_header_size;
    const std::size_t data = info + SectionedFileRecipe{}.info.size();
    const Case cases[] = {
        {"obstacle", nullptr, "Obstacle File Error - 'Unable to open Obstacle File.'."},
        {"obstacle", [](std::string& f) { f = truncated(f, 100); },
         "Obstacle File Error - 'Failed read of Obstacle File Header.'."},
        {"obstacle", [](std::string& f) { flip_byte(f, 10); },
         "Obstacle File Error - 'CRC Failed : Obstacle File Header.'."},
        {"obstacle", [&](std::string& f) { f = truncated(f, info + 100); },
         "Obstacle File Error - 'Failed read of Obstacle File Info.'."},
        {"obstacle", [&](std::string& f) { flip_byte(f, info + 10); },
         "Obstacle File Error - 'CRC Failed : Obstacle File Info Section.'."},
        {"obstacle", [&](std::string& f) { f = truncated(f, data + 100); },
         "Obstacle File Error - 'Failed read of Obstacle File Data.'."},
        {"obstacle", [&](std::string& f) { flip_byte(f, data + 10); },
         "Obstacle File Error - 'CRC Failed : Obstacle File Data Section.'."},
        {"overlay", [&](std::string& f) { flip_byte(f, data + 10); },
         "Overlay File Error - 'CRC Failed : Overlay File Data Section.'."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        MediaSet files;
        if (c.change) {
            files[obstacle_file] = build_sectioned_file({});
            c.change(files[obstacle_file]);
        }
        const std::string root = media(files);
        const Outcome run = check({"--file", native_path(root, obstacle_file), "--as", c.as});
        EXPECT_EQ(run.status, check_failed);
        EXPECT_NE(run.out.find("[Error] " + std::string(c.message) + "\n"), std::string::npos) << run.out;
    }
}

TEST_F(CheckTest, AllChecksEveryCandidateNotOnlyTheOneOffered) {
    MediaSet files = valid_media_set();
    std::string bad = build_sectioned_file({});
    flip_byte(bad, 10);
    files["Obstacle Files/61734-ODB-0002-00001.bin"] = bad;
    const std::string root = media(files);
    const auto count = [](const std::string& text, const std::string& what) {
        std::size_t n = 0;
        for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    };
    const Outcome offered = check({root, "--kind", "obstacle"});
    EXPECT_EQ(count(offered.out, "\n    61734-ODB-"), 2u) << offered.out;
    EXPECT_EQ(count(offered.out, "    PASS ") + count(offered.out, "    FAIL "), 1u);
    const Outcome all = check({root, "--kind", "obstacle", "--all"});
    EXPECT_EQ(all.status, check_failed);
    EXPECT_EQ(count(all.out, "    PASS 61734-ODB-0001-00001\n"), 1u) << all.out;
    EXPECT_EQ(count(all.out, "    FAIL 61734-ODB-0002-00001\n"), 1u) << all.out;
    EXPECT_TRUE(all.out.ends_with("1 of 1 kinds failed.\n")) << all.out;
}

TEST_F(CheckTest, JsonReportAgreesWithTheText) {
    MediaSet files = valid_media_set();
    files[main_program] = build_load_image({.release = 7});
    files.erase("HASS Files/HASS.dat");
    files[parameter_file] = "Bad\"Name\\ 0x00000001\n";
    const std::string root = media(files);
    const Outcome text = check({root});
    const Outcome json = check({root, "--json"});
    EXPECT_EQ(json.status, text.status);
    const auto report = parse_json(json.out);
    ASSERT_TRUE(report) << json.out;
    EXPECT_FALSE((*report)["passed"].boolean);
    const auto& kinds = (*report)["kinds"].array;
    ASSERT_EQ(kinds.size(), 13u);
    int failed = 0;
    for (const JsonValue& kind : kinds) {
        SCOPED_TRACE(kind["name"].string);
        const std::string heading = kind["title"].string + " (" + kind["name"].string + ")\n";
        const std::size_t at = text.out.find(heading);
        ASSERT_NE(at, std::string::npos);
        std::size_t end = at + heading.size();
        while (end < text.out.size() && text.out[end] == ' ') end = text.out.find('\n', end) + 1;
        const std::string section = text.out.substr(at, end - at);
        const JsonValue& offered = kind["offered"];
        EXPECT_NE(section.find("offered: " + (offered.type == JsonValue::Type::null ? "none" : offered.string)),
                  std::string::npos);
        for (const JsonValue& c : kind["checks"].array) {
            EXPECT_NE(section.find(c["passed"].boolean ? "PASS" : "FAIL"), std::string::npos);
            for (const JsonValue& m : c["messages"].array) {
                const std::string first_line = m["text"].string.substr(0, m["text"].string.find('\n'));
                EXPECT_NE(section.find("[" + m["caption"].string + "] " + first_line), std::string::npos);
            }
        }
        failed += !kind["passed"].boolean;
    }
    EXPECT_EQ(failed, 3);
    EXPECT_TRUE(text.out.ends_with(kinds_failed(3)));
}

TEST_F(CheckTest, NothingOnDiskChanges) {
    MediaSet files = valid_media_set();
    files.erase("NOGAMMA Files/NOGAMMA.dat");
    files["upload.cfg"] = "PGM_DIR=\nBLOCK_DLY=-3\n";
    files["glob_pattern_override.txt"] = "PARM_FIL_GLOB = Params_*.dat\n";
    const std::string root = media(files);
    const std::string before = tree_listing(root);
    const std::pair<std::vector<std::string>, int> runs[] = {
        {{root}, check_failed},
        {{root, "--all", "--json"}, check_failed},
        {{root, "--kind", "system"}, check_passed},
        {{"--file", native_path(root, system_hex), "--as", "earlier-hex"}, check_passed},
    };
    for (const auto& [args, status] : runs) {
        EXPECT_EQ(check(args).status, status);
        EXPECT_EQ(tree_listing(root), before);
    }
}

TEST_F(CheckTest, UsageErrorsAndUnreadableDirectories) {
    const std::string root = media(valid_media_set());
    const std::vector<std::string> refused[] = {
        {"--bogus"},
        {"--kind", "bogus"},
        {"--kind"},
        {root, root},
        {"--file", native_path(root, main_program)},
        {"--as", "system"},
        {"--file", native_path(root, main_program), "--as", "nothing"},
        {root, "--file", native_path(root, main_program), "--as", "system"},
        {native_path(root, "no such folder")},
        {native_path(root, main_program)},
    };
    for (const auto& args : refused) {
        SCOPED_TRACE(args[0]);
        const Outcome run = check(args);
        EXPECT_EQ(run.status, check_usage_error);
        EXPECT_TRUE(run.err.starts_with("htaws-check: ")) << run.err;
        EXPECT_EQ(run.out, "");
    }
    const Outcome help = check({"--help"});
    EXPECT_EQ(help.status, check_passed);
    EXPECT_NE(help.out.find("--file PATH --as KIND"), std::string::npos);
    EXPECT_NE(help.out.find("earlier-terrain"), std::string::npos);
}

#ifdef HTAWS_CHECK
// The real program, as a technician runs it in the top-level directory.
TEST_F(CheckTest, ProgramRunsOverTheCurrentDirectoryByDefault) {
    const std::string root = media(valid_media_set());
    const std::string command = "cd '" + root + "' && '" HTAWS_CHECK "' > out.txt";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == check_passed) << status;
    EXPECT_TRUE(read_whole_file(root + "/out.txt").ends_with(kinds_failed(0)));
}
#endif

}  // namespace
