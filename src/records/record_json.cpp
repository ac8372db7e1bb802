#include "records/record_json.h"

#include <charconv>
#include <cstdio>
#include <sstream>

#include "output/json_reader.h"
#include "output/json_string.h"

namespace {
std::string hex32(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", unsigned(value));
    return text;
}

void key(std::ostream& out, const char* name) {
    write_json_string(name, out);
    out << ": ";
}

void text_member(std::ostream& out, const char* name, const std::string& value) {
    key(out, name);
    write_json_string(value, out);
    out << ", ";
}

std::optional<uint32_t> hex_of(const JsonValue* v) {
    if (!v || v->type != JsonValue::Type::string || v->string.size() != 8) return std::nullopt;
    uint32_t value = 0;
    for (char c : v->string) {
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (digit < 0) return std::nullopt;
        value = value << 4 | uint32_t(digit);
    }
    return value;
}

bool text_of(const JsonValue& object, const char* name, std::string& out, bool required) {
    const JsonValue* v = object.find(name);
    if (!v) return !required;
    if (v->type != JsonValue::Type::string) return false;
    out = v->string;
    return true;
}
}  // namespace

std::string unit_number_text(uint32_t number) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", unsigned(number));
    return text;
}

std::optional<uint32_t> unit_number_from_text(std::string_view text) {
    uint32_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number, 16);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return number;
}

std::string record_json_line(const LoadRecord& r) {
    std::ostringstream out;
    out << "{";
    text_member(out, "utc", r.utc);
    text_member(out, "local", r.local);
    text_member(out, "uploader", r.uploader);
    text_member(out, "port", r.port);
    key(out, "unit_number");
    if (r.unit_number) out << '"' << unit_number_text(*r.unit_number) << "\", ";
    else out << "null, ";
    key(out, "hardware_id");
    if (r.hardware_id) out << '"' << hex32(*r.hardware_id) << "\", ";
    else out << "null, ";
    text_member(out, "model", r.model);
    text_member(out, "function", r.function);
    text_member(out, "version", r.version);
    key(out, "files");
    out << "[";
    for (std::size_t i = 0; i < r.files.size(); ++i) {
        const RecordedFile& f = r.files[i];
        out << (i ? ", {" : "{");
        text_member(out, "path", f.path);
        key(out, "size");
        out << f.size << ", ";
        key(out, "checksum");
        if (f.checksum) out << '"' << hex32(*f.checksum) << "\"}";
        else out << "null}";
    }
    out << "], ";
    text_member(out, "reset_mode", r.reset_mode);
    text_member(out, "outcome", r.outcome);
    text_member(out, "message", r.message);
    key(out, "duration_ms");
    out << r.duration_ms << "}\n";
    return out.str();
}

std::optional<LoadRecord> record_from_json(std::string_view line) {
    const std::optional<JsonValue> json = parse_json(line);
    if (!json || json->type != JsonValue::Type::object) return std::nullopt;
    LoadRecord r;
    const bool texts = text_of(*json, "utc", r.utc, true) && text_of(*json, "local", r.local, false) &&
                       text_of(*json, "uploader", r.uploader, false) && text_of(*json, "port", r.port, false) &&
                       text_of(*json, "model", r.model, false) && text_of(*json, "function", r.function, true) &&
                       text_of(*json, "version", r.version, false) &&
                       text_of(*json, "reset_mode", r.reset_mode, false) &&
                       text_of(*json, "outcome", r.outcome, true) && text_of(*json, "message", r.message, false);
    if (!texts || r.utc.size() < 16) return std::nullopt;
    if (const JsonValue* n = json->find("unit_number"); n && n->type == JsonValue::Type::string) {
        r.unit_number = unit_number_from_text(n->string);
        if (!r.unit_number) return std::nullopt;
    }
    r.hardware_id = hex_of(json->find("hardware_id"));
    if (const JsonValue* d = json->find("duration_ms"); d && d->type == JsonValue::Type::number)
        r.duration_ms = d->number;
    if (const JsonValue* files = json->find("files"); files && files->type == JsonValue::Type::array)
        for (const JsonValue& f : files->array) {
            RecordedFile file;
            if (!text_of(f, "path", file.path, true)) return std::nullopt;
            if (const JsonValue* size = f.find("size"); size && size->type == JsonValue::Type::number)
                file.size = size->number;
            file.checksum = hex_of(f.find("checksum"));
            r.files.push_back(std::move(file));
        }
    return r;
}
