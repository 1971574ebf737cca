// Value and text primitives. Every text or byte set returned is a fresh
// runtime memory block owned by the caller; null texts read as empty.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "runtime/value.h"

namespace qv {

// Joins count texts into one fresh block (one allocation). Never null: an
// empty result is a block holding only the terminator.
char* ConcatTexts(int count, const char* const* texts);
inline char* ConcatTexts(std::initializer_list<const char*> texts) {
    return ConcatTexts(static_cast<int>(texts.size()), texts.begin());
}

// Calendar parts of a date-time (days from 30 December 1899).
struct DateParts {
    int year, month, day;
    int hour, minute, second;
};

// The shared date conversion: clamps to 1 January 100 .. 31 December 9999
// (NaN counts as too large), adds half a second away from zero, splits day
// and time of day. Never fails.
DateParts ConvertDate(double dateTime);

// The date-time of midnight of a proleptic Gregorian date.
double DateTimeFromCivil(int year, int month, int day);

// Runtime commands (argument count, arguments, result that starts all zero).
void ToText(TypedValue* result, int argc, const TypedValue* args);     // result.text, null when empty
void ToNumber(TypedValue* result, int argc, const TypedValue* args);   // result.f64
void ToByteSet(TypedValue* result, int argc, const TypedValue* args);  // result.bytes, null when empty
void GetYear(TypedValue* result, int argc, const TypedValue* args);    // result.i32
void GetMonth(TypedValue* result, int argc, const TypedValue* args);
void GetDay(TypedValue* result, int argc, const TypedValue* args);

// Text to number: full-width GBK forms normalised, then the longest decimal
// prefix parsed ("d" or "D" may mark the exponent). No prefix gives 0.0, and
// so does a number beyond the range of a double.
double TextToNumber(const char* text);

}  // namespace qv
