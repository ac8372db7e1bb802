#include "catalogue/patterns.h"

#include <map>
#include <sstream>
#include <vector>

#include "catalogue_fixture.h"

namespace {

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class PatternsTest : public CatalogueTest {
protected:
    std::string dump(std::string_view name) const { return text_of(top.file(std::string(name))); }
};

TEST_F(PatternsTest, LookUpSetAndGetStayInsideTheTable) {
    patterns_reset();
    EXPECT_EQ(pattern_lookup("EXEC_HHF_GLOB"), EXEC_HHF_GLOB);
    EXPECT_EQ(pattern_lookup("NGMA_FIL_GLOB"), NGMA_FIL_GLOB);
    EXPECT_EQ(pattern_lookup("GLOB_NULL"), std::nullopt);
    EXPECT_EQ(pattern_lookup("exec_hhf_glob"), std::nullopt);
    EXPECT_EQ(pattern_lookup("EXEC_HHF_GLOB "), std::nullopt);
    pattern_set(GLOB_NULL, "x");
    pattern_set(PATTERN_COUNT, "x");
    pattern_set(NGMA_FIL_GLOB, "ng.dat");
    EXPECT_EQ(pattern_get(GLOB_NULL), "");
    EXPECT_EQ(pattern_get(-1), "");
    EXPECT_EQ(pattern_get(PATTERN_COUNT), "");
    EXPECT_EQ(pattern_value(NGMA_FIL_GLOB), "ng.dat");
    EXPECT_EQ(pattern_value(TERR_DAT_BASE), "61734-TDB-");
}

TEST_F(PatternsTest, DefaultDumpHasEveryKeyInTableOrder) {
    enter();
    const auto lines = lines_of(dump(pattern_default_dump_name));
    ASSERT_EQ(lines.size(), 36u);
    EXPECT_EQ(lines[0], "GLOB_NULL = ");
    EXPECT_EQ(lines[1], "EXEC_HHF_GLOB = rk5200h_*.hhf");
    EXPECT_EQ(lines[3], "EXEC_HHF_SUFX = ");
    EXPECT_EQ(lines[21], "TERR_DAT_GLOB = *-TDB-*.bin");
    EXPECT_EQ(lines[35], "NGMA_FIL_GLOB = NOGAMMA.dat");
    EXPECT_EQ(dump(pattern_override_dump_name), dump(pattern_default_dump_name)) << "no override file";
}

TEST_F(PatternsTest, OnlyTheFirstValidOverrideLineTakesEffect) {
    struct Case {
        const char* name;
        std::string file;
        std::map<PatternKey, std::string> changed;
    };
    const Case cases[] = {
        {"comments and unknown keys", "# comment\n   # indented comment\n\nNO_SUCH_KEY = x\nGLOB_NULL = y\n", {}},
        {"two valid lines", "EXEC_HHF_GLOB = a*.hhf\nBOOT_BIN_GLOB = b*.hhf\n", {{EXEC_HHF_GLOB, "a*.hhf"}}},
        {"indented, with a further word", "   BOOT_BIN_GLOB = u*.bin more words\n", {{BOOT_BIN_GLOB, "u*.bin"}}},
        {"a key without \"=\" is skipped", "BOOT_BIN_GLOB\nLINX_KRN_BASE = k_\n", {{LINX_KRN_BASE, "k_"}}},
        {"a lower-case key is unknown", "boot_bin_glob = x\nEXEC_HHF_SUFX = .x\n", {{EXEC_HHF_SUFX, ".x"}}},
        {"no blanks around \"=\"", "PARM_FIL_GLOB=*.prm\n", {{PARM_FIL_GLOB, "*.prm"}}},
        {"an empty value is skipped", "EXEC_HHF_BASE =   \nEXEC_HHF_BASE = r_\n", {{EXEC_HHF_BASE, "r_"}}},
        {"the value ends at a second \"=\"", "EXEC_HHF_BASE = a=b\n", {{EXEC_HHF_BASE, "a"}}},
        {"Windows line ends", "TERR_DAT_INDX = -X-\r\n", {{TERR_DAT_INDX, "-X-"}}},
        {"an overlong line is skipped whole",
         "EXEC_HHF_BASE = " + std::string(250, 'v') + " HASS_FIL_GLOB = no\nHASS_FIL_GLOB = h.dat\n",
         {{HASS_FIL_GLOB, "h.dat"}}},
    };
    patterns_reset();
    std::vector<std::string> defaults;
    for (int key = 0; key < PATTERN_COUNT; ++key) defaults.push_back(pattern_get(key));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        top.write(std::string(pattern_override_name), c.file);
        enter();
        const auto default_dump = lines_of(dump(pattern_default_dump_name));
        const auto override_dump = lines_of(dump(pattern_override_dump_name));
        ASSERT_EQ(override_dump.size(), 36u);
        for (int key = 0; key < PATTERN_COUNT; ++key) {
            const auto at = c.changed.find(PatternKey(key));
            const std::string expected = at != c.changed.end() ? at->second : defaults[key];
            const std::string name(pattern_key_name(PatternKey(key)));
            EXPECT_EQ(pattern_get(key), expected) << name;
            EXPECT_EQ(override_dump[key], name + " = " + expected);
            EXPECT_EQ(default_dump[key], name + " = " + defaults[key]);
        }
    }
}

}  // namespace
