#include "sim/framing.h"

#include "formats/byte_order.h"
#include "formats/crc.h"

void FrameReader::start(bool stuff_data) {
    stage_ = Stage::type;
    stuff_data_ = stuff_data;
    dle_pending_ = false;
    count_ = 0;
    frame_ = SimFrame{};
    failure_.clear();
}

FrameReader::Step FrameReader::fail(std::string why) {
    failure_ = std::move(why);
    stage_ = Stage::idle;
    return Step::failed;
}

FrameReader::Step FrameReader::feed(uint8_t byte) {
    switch (stage_) {
    case Stage::idle:
        return Step::failed;
    case Stage::type:
        frame_.type = byte;
        if (byte != 'C' && byte != 'D') {
            stage_ = Stage::idle;
            return Step::done;
        }
        stuffed_ = byte == 'C' || stuff_data_;
        stage_ = Stage::header;
        return Step::more;
    case Stage::header: {
        header_[count_++] = byte;
        if (count_ < sizeof header_) return Step::more;
        const uint8_t start[2] = {DLE, frame_.type};
        uint32_t reg;
        crc_begin(reg);
        crc_add_bytes(reg, start, 2);
        crc_add_bytes(reg, header_, 6);
        if (reg != get_be32(header_ + 6)) return fail("header check mismatch");
        length_ = get_be16(header_);
        frame_.address = get_be32(header_ + 2);
        frame_.payload.reserve(length_);
        crc_begin(reg_);
        count_ = 0;
        stage_ = length_ ? Stage::payload : Stage::check;
        return Step::more;
    }
    case Stage::payload:
        if (stuffed_ && byte == DLE && !dle_pending_) {
            dle_pending_ = true;
            return Step::more;
        }
        if (dle_pending_ && byte != DLE) return fail("single DLE in the payload");
        dle_pending_ = false;
        frame_.payload.push_back(byte);
        crc_add_byte(reg_, byte);
        if (frame_.payload.size() == length_) stage_ = Stage::check;
        return Step::more;
    case Stage::check:
        check_[count_++] = byte;
        if (count_ < sizeof check_) return Step::more;
        frame_.payload_ok = get_be32(check_) == reg_;
        stage_ = Stage::idle;
        return Step::done;
    }
    return Step::failed;
}

std::vector<uint8_t> sim_packet(uint8_t type, const uint8_t* payload, std::size_t size, bool spoil_check) {
    std::vector<uint8_t> out(12);
    out[0] = DLE;
    out[1] = type;
    put_be32(&out[2], uint32_t(size));
    uint32_t reg;
    crc_begin(reg);
    crc_add_bytes(reg, out.data(), 8);
    put_be32(&out[8], reg);
    crc_begin(reg);
    crc_add_span(reg, payload, size);
    uint8_t check[4];
    put_be32(check, spoil_check ? ~reg : reg);
    auto put_stuffed = [&out](uint8_t b) {
        out.push_back(b);
        if (b == DLE) out.push_back(b);
    };
    for (std::size_t i = 0; i < size; ++i) put_stuffed(payload[i]);
    for (uint8_t b : check) put_stuffed(b);
    return out;
}
