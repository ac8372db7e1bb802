#include "records/record_time.h"

#include <cstdio>
#include <cstdlib>

namespace {
std::tm utc_fields(std::time_t t) {
    std::tm fields{};
#ifdef _WIN32
    gmtime_s(&fields, &t);
#else
    gmtime_r(&t, &fields);
#endif
    return fields;
}

std::tm local_fields(std::time_t t) {
    std::tm fields{};
#ifdef _WIN32
    localtime_s(&fields, &t);
#else
    localtime_r(&t, &fields);
#endif
    return fields;
}

// Seconds since 1970 of the fields read as UTC (the days of the civil calendar).
int64_t seconds_of(const std::tm& f) {
    const int64_t y = int64_t(f.tm_year) + 1900 - (f.tm_mon < 2);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t year_of_era = y - era * 400;
    const int64_t month = f.tm_mon + 1;
    const int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + f.tm_mday - 1;
    const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    const int64_t days = era * 146097 + day_of_era - 719468;
    return days * 86400 + f.tm_hour * 3600 + f.tm_min * 60 + f.tm_sec;
}

std::string fields_text(const std::tm& f) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", f.tm_year + 1900, f.tm_mon + 1, f.tm_mday,
                  f.tm_hour, f.tm_min, f.tm_sec);
    return text;
}
}  // namespace

std::string iso_utc(std::time_t t) { return fields_text(utc_fields(t)) + "Z"; }

std::string iso_local(std::time_t t) {
    const std::tm local = local_fields(t);
    const int64_t offset_minutes = (seconds_of(local) - int64_t(t)) / 60;
    const int64_t magnitude = std::llabs(offset_minutes);
    char offset[16];
    std::snprintf(offset, sizeof offset, "%c%02d:%02d", offset_minutes < 0 ? '-' : '+', int(magnitude / 60),
                  int(magnitude % 60));
    return fields_text(local) + offset;
}
