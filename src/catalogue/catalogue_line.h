#pragma once

#include "catalogue/file_record.h"
#include "catalogue/locale_date_time.h"

#include <string>
#include <string_view>

namespace launcher {

// The text form of one catalogue entry:
//   Hash|Name|Size|Date|HashPacked
// with the size in decimal and the date as the 16 upper-case hexadecimal
// digits of its 64 bits, so that a written line reads back bit-exactly.
std::string FormatCatalogueLine(const TFileRecord& record);

// Reads one line. Missing fields stay empty (size 0, date 0.0); text after a
// fifth "|" is ignored; a line without "|" is all name. Throws EConvertError
// when the date field holds a space but no date and time in `date_format`.
TFileRecord ParseCatalogueLine(std::string_view line, const LocaleDateTimeFormat& date_format);

// The size field: a decimal signed 64-bit integer, 0 when empty or invalid.
std::int64_t ParseSizeField(std::string_view field);

// The date field: empty is 0.0; without a space, up to 16 hexadecimal digits
// taken as the bits of the value (0.0 when invalid); with a space, a date and
// time in the locale's format (EConvertError when it is not one).
TDateTime ParseDateField(std::string_view field, const LocaleDateTimeFormat& date_format);

// The 16 upper-case hexadecimal digits of the value's bits.
std::string FormatDateField(TDateTime date);

} // namespace launcher
