// DOS date-times (date in the high 16 bits, time in the low, local time,
// two-second steps), as the block headers store a file's modification time.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace zelkor {

// Times before 1980 or after 2107 are clamped to the range DOS can hold.
uint32_t DosDateTimeFromTime(std::time_t when);
// False when a field is out of range.
bool TimeFromDosDateTime(uint32_t dosDateTime, std::time_t* when);
// "YYYY-MM-DDTHH:MM:SS", or "none" for 0 and "invalid" for bad fields.
std::string DosDateTimeText(uint32_t dosDateTime);

} // namespace zelkor
