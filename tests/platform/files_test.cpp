#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "platform/files.h"
#include "support/temp_dir.h"

TEST(Wildcard, MatchesAsWindowsDoes) {
    struct Case {
        const char* pattern;
        const char* name;
        bool match;
    } cases[] = {
        {"*.hhf", "MAIN_1.HHF", true},   {"*.hhf", "main.hhf.bak", false}, {"main_?.hhf", "main_7.hhf", true},
        {"main_?.hhf", "main_77.hhf", false}, {"*", "", true},          {"*_tdata.bin", "a_b_tdata.bin", true},
        {"a*b*c", "aXbYbZc", true},      {"a*b*c", "aXbYcZ", false},       {"", "a", false},
        {"**?", "x", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " vs " + c.name);
        EXPECT_EQ(wildcard_match(c.pattern, c.name), c.match);
    }
}

TEST(Files, ListingFindsMatchingFilesWithSizeAndTime) {
    TempDir dir;
    dir.write("one.hhf", "12345");
    dir.write("two.HHF", "1");
    dir.write("three.txt", "");
    ASSERT_TRUE(make_folder(dir.file("sub.hhf")));
    auto found = list_files(dir.path(), "*.hhf");
    std::sort(found.begin(), found.end(), [](auto& a, auto& b) { return a.name < b.name; });
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].name, "one.hhf");
    EXPECT_EQ(found[0].size, 5u);
    EXPECT_GT(found[0].created, 1600000000);
    EXPECT_EQ(found[1].name, "two.HHF");
    EXPECT_TRUE(list_files(dir.file("missing"), "*").empty());
}

TEST(Files, FolderCreationAndSixtyFourBitPositions) {
    TempDir dir;
    const std::string sub = dir.file("made");
    EXPECT_TRUE(make_folder(sub));
    EXPECT_TRUE(make_folder(sub));  // already there counts as made
    EXPECT_TRUE(folder_exists(sub));
    EXPECT_FALSE(make_folder(dir.file("no/such/parent")));

    const std::string path = dir.write("f.bin", "abcdef");
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(file_size(f), 6);
    ASSERT_TRUE(file_seek(f, 4));
    EXPECT_EQ(file_tell(f), 4);
    EXPECT_EQ(std::fgetc(f), 'e');
    std::fclose(f);
}
