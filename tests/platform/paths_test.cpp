#include <gtest/gtest.h>

#include "platform/paths.h"

TEST(Paths, JoinUsesOneSeparator) {
    const std::string sep(1, path_separator);
    EXPECT_EQ(path_join("dir", "a.dat"), "dir" + sep + "a.dat");
    EXPECT_EQ(path_join("dir" + sep, "a.dat"), "dir" + sep + "a.dat");
    EXPECT_EQ(path_join("", "a.dat"), "a.dat");
}

TEST(Paths, OverlongPathIsRefusedNotTruncated) {
    const std::string folder(max_path_length - 2, 'f');
    EXPECT_TRUE(path_join(folder, "a"));  // exactly 259
    EXPECT_FALSE(path_join(folder, "ab"));
    EXPECT_NE(path_too_long_message("x").find("259"), std::string::npos);
}
