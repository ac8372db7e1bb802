#pragma once
// Every catalogue test starts from program start in a fresh top-level
// directory with a log in it, and gives files the creation times it wants:
// the listing reports the time set here (0 for files not given one), since
// the birth time of a file cannot be set on Linux.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

#include "catalogue/file_listing.h"
#include "catalogue/setup_entry.h"
#include "formats/image.h"
#include "output/log.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "support/scripted_window.h"
#include "support/temp_dir.h"

// A text file as written, without the "\r" that Windows text mode adds.
inline std::string text_of(const std::string& path) {
    std::string text = read_whole_file(path);
    std::erase(text, '\r');
    return text;
}

class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override {
        catalogue_module_reset();
        script_reset();
        log_open_path(top.file("Loader.LOG"));
        set_file_lister([this](const std::string& folder, const std::string& pattern) {
            auto files = list_files(folder, pattern);
            for (FileEntry& entry : files) {
                const auto at = times.find(entry.name);
                entry.created = at == times.end() ? 0 : at->second;
                entry.created_ns = 0;
            }
            return files;
        });
    }
    void TearDown() override {
        image_reset();  // the open image must close before its folder goes
        log_close();
        catalogue_module_reset();
        EXPECT_EQ(script_pending(), 0u);
    }

    std::string folder(const std::string& name) const { return root + path_separator + name; }
    // Writes a file into a folder of the top-level directory, created at `created`.
    std::string put(const std::string& folder_name, const std::string& name, int64_t created = 0,
                    const std::string& bytes = "x") {
        make_folder(folder(folder_name));
        times[name] = created;
        const std::string path = folder(folder_name) + path_separator + name;
        FILE* f = std::fopen(path.c_str(), "wb");
        EXPECT_TRUE(f) << path;
        if (f) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        return path;
    }
    // Starts a fresh top-level directory inside the test's folder.
    void use_new_root(const std::string& name) {
        root = top.file(name);
        make_folder(root);
    }
    void enter() { catalogue_setup_entry(root); }
    std::string log_text() const { return text_of(top.file("Loader.LOG")); }

    TempDir top;
    std::string root = top.path();
    std::map<std::string, int64_t> times;
};

