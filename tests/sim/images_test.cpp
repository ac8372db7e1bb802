// The system software image headers the unit refuses before it takes a body.
#include <gtest/gtest.h>

#include <cstring>

#include "formats/byte_order.h"
#include "formats/crc.h"
#include "sim/wire.h"

namespace {
Bytes image_block(uint32_t type, const Bytes& body, const char* id, const char* version) {
    Bytes cb = control_block(type, body, id);
    std::strncpy(reinterpret_cast<char*>(&cb[40]), version, 32);
    put_be32(&cb[252], crc_end(raw_register(Bytes(cb.begin(), cb.begin() + 252))));
    return cb;
}
}  // namespace

TEST(SimImages, ProgramHeadersMustSuitTheBoard) {
    struct Case {
        uint32_t board;
        uint32_t type;
        const char* id;
        const char* version;
        const char* refusal;  // null: taken
    };
    const Case cases[] = {
        {0x34019FFF, 1, "0x3400", "A1.07", nullptr},
        {0x34019FFF, 1, "0x3400", "1.07", "program version \"1.07\" is not for the A variant"},
        {0x34029FFF, 1, "0x3400", "1.07", nullptr},
        {0x34029FFF, 1, "0x3400", "A1.07", "program version \"A1.07\" is for the A variant"},
        {0x34029FFF, 1, "0x1234", "1.07", "program for board 0x1234, not 0x3400"},
        {0x34029FFF, 4, "0x1234", "A1.07", nullptr},  // update images name no board
        {0x34019000, 1, "0x1234", "A1.07", nullptr},  // a board that names no software
        {0x34029FFF, 4, "3400", "1.07", "image identifier \"3400\" is not 0x and hex digits"},
        {0x34029FFF, 1, "0x34G0", "1.07", "image identifier \"0x34G0\" is not 0x and hex digits"},
        {0x34029FFF, 1, "0x3400", "0123456789abcdef0123456789abcdef", "image version text not ended within 32 bytes"},
    };
    const Bytes body(500, 0x5A);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.id) + " " + c.version);
        SimConfig config;
        config.p_table.hardware_id = c.board;
        SimLink link(config);
        const Bytes cb = image_block(c.type, body, c.id, c.version);
        if (c.refusal) {
            EXPECT_EQ(link.load(cb, {}), std::string("OK\r\nERR: ") + c.refusal + "\r\n");
            EXPECT_EQ(link.unit.anomalies(), std::vector<std::string>{c.refusal});
        } else {
            EXPECT_EQ(link.load(cb, body), "OK\r\nOK\r\nOK\r\n");
        }
    }
}

TEST(SimImages, HeaderFormatOtherThanOneIsRefused) {
    Bytes cb = image_block(1, {}, "0x3400", "1.07");
    put_be32(&cb[0], 2);
    put_be32(&cb[252], crc_end(raw_register(Bytes(cb.begin(), cb.begin() + 252))));
    SimLink link;
    EXPECT_EQ(link.load(cb, {}), "OK\r\nERR: image header format 2\r\n");
}
