#include "dos_time.h"

#include <cstdio>

namespace zelkor {
namespace {

constexpr uint32_t kFirstDos = (1u << 21 | 1u << 16); // 1980-01-01
constexpr uint32_t kLastDos = (127u << 25 | 12u << 21 | 31u << 16 | 23u << 11 | 59u << 5 | 29u);

struct DosFields {
    int year, month, day, hour, minute, second;
};

DosFields Split(uint32_t v) {
    return {int(v >> 25) + 1980, int(v >> 21 & 15), int(v >> 16 & 31),
            int(v >> 11 & 31),   int(v >> 5 & 63),  int(v & 31) * 2};
}

bool Valid(const DosFields& f) {
    return f.month >= 1 && f.month <= 12 && f.day >= 1 && f.day <= 31 && f.hour <= 23 &&
           f.minute <= 59 && f.second <= 59;
}

} // namespace

uint32_t DosDateTimeFromTime(std::time_t when) {
    const std::tm* local = std::localtime(&when);
    if (!local) return when < 0 ? kFirstDos : kLastDos;
    const int year = local->tm_year + 1900;
    if (year < 1980) return kFirstDos;
    if (year > 2107) return kLastDos;
    return uint32_t(year - 1980) << 25 | uint32_t(local->tm_mon + 1) << 21 |
           uint32_t(local->tm_mday) << 16 | uint32_t(local->tm_hour) << 11 |
           uint32_t(local->tm_min) << 5 | uint32_t(local->tm_sec / 2);
}

bool TimeFromDosDateTime(uint32_t dosDateTime, std::time_t* when) {
    const DosFields f = Split(dosDateTime);
    if (!Valid(f)) return false;
    std::tm local{};
    local.tm_year = f.year - 1900;
    local.tm_mon = f.month - 1;
    local.tm_mday = f.day;
    local.tm_hour = f.hour;
    local.tm_min = f.minute;
    local.tm_sec = f.second;
    local.tm_isdst = -1;
    const std::time_t made = std::mktime(&local);
    if (made == std::time_t(-1)) return false;
    *when = made;
    return true;
}

std::string DosDateTimeText(uint32_t dosDateTime) {
    if (dosDateTime == 0) return "none";
    const DosFields f = Split(dosDateTime);
    if (!Valid(f)) return "invalid";
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", f.year, f.month, f.day,
                  f.hour, f.minute, f.second);
    return text;
}

} // namespace zelkor
