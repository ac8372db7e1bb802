#pragma once
// A moment as the load history writes it: ISO 8601 in UTC and in local time
// with its offset.
#include <ctime>
#include <string>

std::string iso_utc(std::time_t t);
std::string iso_local(std::time_t t);
