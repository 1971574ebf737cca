#include "runtime/values.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/format.h"
#include "runtime/memory.h"
#include "runtime/text.h"

#if defined(_WIN32)
#define QV_LABEL_TEXT(x) #x
#define QV_LABEL(prefix, name) QV_LABEL_TEXT(prefix) name
// The C runtime's own strtod: the headers' C99 replacement would add some
// 20 KiB to every image, and the text it parses here is plain decimal.
extern "C" double CrtStrtod(const char* text, char** end) __asm__(QV_LABEL(__USER_LABEL_PREFIX__, "strtod"));
#else
#define CrtStrtod std::strtod
#endif

namespace qv {

size_t NumericSize(uint32_t tag) {
    switch (tag) {
        case kTagU8:
            return 1;
        case kTagI16:
            return 2;
        case kTagI32:
            return 4;
        case kTagI64:
            return 8;
        case kTagF32:
            return 4;
        case kTagF64:
            return 8;
        default:
            return 0;
    }
}

char* ConcatTexts(int count, const char* const* texts) {
    size_t total = 0;
    for (int i = 0; i < count; ++i) total += TextLength(texts[i]);
    char* out = static_cast<char*>(AllocBlock(total + 1));
    char* p = out;
    for (int i = 0; i < count; ++i) {
        size_t n = TextLength(texts[i]);
        if (n) std::memcpy(p, texts[i], n);
        p += n;
    }
    *p = '\0';
    return out;
}

namespace {

constexpr double kMaxDate = 2958465.0;  // 31 December 9999
constexpr double kMinDate = -657434.0;  // 1 January 100
constexpr double kHalfSecond = 1.0 / 172800.0;
constexpr int64_t kUnixEpochDay = 25569;  // 1 January 1970

// Proleptic Gregorian date of a day count relative to 1 January 1970.
void CivilFromDays(int64_t z, int* year, int* month, int* day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp < 10 ? mp + 3 : mp - 9;
    *year = static_cast<int>(yoe + era * 400 + (m <= 2));
    *month = static_cast<int>(m);
    *day = static_cast<int>(d);
}

// A text copied into a fresh block, or null when empty.
char* FreshText(const char* bytes, size_t n) {
    if (n == 0) return nullptr;
    char* out = static_cast<char*>(AllocBlock(n + 1));
    std::memcpy(out, bytes, n);
    out[n] = '\0';
    return out;
}

// A byte set copied into a fresh block, or null when empty.
void* FreshByteSet(const void* bytes, size_t n) {
    if (n == 0) return nullptr;
    auto* out = static_cast<uint8_t*>(AllocBlock(sizeof(ByteSetHeader) + n));
    ByteSetHeader header{1, static_cast<uint32_t>(n)};
    std::memcpy(out, &header, sizeof header);
    std::memcpy(out + sizeof header, bytes, n);
    return out;
}

size_t BytesUpToZero(const uint8_t* bytes, size_t n) {
    if (!bytes) return 0;
    const void* zero = std::memchr(bytes, 0, n);
    return zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - bytes) : n;
}

// Full-width forms to their ASCII bytes, into out (at least the text's
// length + 1 bytes); returns the length written.
size_t NormaliseNumberText(const char* text, char* out) {
    size_t n = 0;
    for (size_t i = 0; text && text[i]; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (CharBytes(text + i) == 1) {
            out[n++] = static_cast<char>(c);
            continue;
        }
        unsigned char t = static_cast<unsigned char>(text[++i]);
        if (c == 0xA3 && t >= 0xA1 && t <= 0xFE) {
            out[n++] = static_cast<char>(t & 0x7F);
        } else if (c == 0xA1 && t == 0xA1) {
            out[n++] = ' ';
        } else if (c == 0xA1 && t == 0xAB) {
            out[n++] = '~';
        } else if (c == 0xA1 && (t == 0xEE || t == 0xEF)) {
            out[n++] = '*';
        } else {
            out[n++] = static_cast<char>(c);
            out[n++] = static_cast<char>(t);
        }
    }
    out[n] = '\0';
    return n;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

double DateTimeFromCivil(int year, int month, int day) {
    const int64_t y = year - (month <= 2);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<double>(era * 146097 + doe - 719468 + kUnixEpochDay);
}

DateParts ConvertDate(double d) {
    if (!(d <= kMaxDate)) d = kMaxDate;
    if (d < kMinDate) d = kMinDate;
    const double x = d > 0 ? d + kHalfSecond : d - kHalfSecond;
    const double dayNumber = std::trunc(x);
    DateParts parts{};
    CivilFromDays(static_cast<int64_t>(dayNumber) - kUnixEpochDay, &parts.year, &parts.month, &parts.day);
    double ax = std::fabs(x);
    int seconds = static_cast<int>((ax - std::floor(ax)) * 86400.0);
    if (seconds > 86399) seconds = 86399;
    parts.hour = seconds / 3600;
    parts.minute = seconds / 60 % 60;
    parts.second = seconds % 60;
    return parts;
}

double TextToNumber(const char* text) {
    const UniqueBlock<char[]> owned(static_cast<char*>(AllocBlock(TextLength(text) + 1)));
    char* s = owned.get();
    const size_t size = NormaliseNumberText(text, s);
    size_t i = 0;
    while (i < size && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
    const size_t start = i;
    if (i < size && (s[i] == '+' || s[i] == '-')) ++i;
    size_t digits = 0;
    while (i < size && IsDigit(s[i])) ++i, ++digits;
    if (i < size && s[i] == '.') {
        ++i;
        while (i < size && IsDigit(s[i])) ++i, ++digits;
    }
    double value = 0.0;
    if (digits > 0) {
        // The exponent counts only with digits; "d" and "D" mark it as well.
        if (i < size && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
            size_t j = i + 1;
            if (j < size && (s[j] == '+' || s[j] == '-')) ++j;
            if (j < size && IsDigit(s[j])) {
                s[i] = 'e';
                while (j < size && IsDigit(s[j])) ++j;
                i = j;
            }
        }
        s[i] = '\0';
        value = CrtStrtod(s + start, nullptr);
    }
    return std::isfinite(value) ? value : 0.0;
}

void ToText(TypedValue* result, int argc, const TypedValue* args) {
    if (argc < 1) return;
    const TypedValue& v = args[0];
    char buf[128];
    size_t n = 0;
    if (IsArrayTag(v.tag)) {
        const uint32_t kind = v.tag & ~kTagArray;
        if (IsNumericTag(kind) && v.bytes) {
            size_t size = ByteSetLength(v.bytes) * NumericSize(kind);
            const uint8_t* data = ByteSetData(v.bytes);
            result->text = FreshText(reinterpret_cast<const char*>(data), BytesUpToZero(data, size));
        }
        return;
    }
    switch (v.tag) {
        case kTagU8:
            n = FormatText(buf, sizeof buf, "%u", static_cast<unsigned>(v.u8));
            break;
        case kTagI16:
            n = FormatText(buf, sizeof buf, "%d", static_cast<int>(v.i16));
            break;
        case kTagI32:
            n = FormatText(buf, sizeof buf, "%d", static_cast<int>(v.i32));
            break;
        case kTagI64:
            n = FormatText(buf, sizeof buf, QV_FORMAT_I64, static_cast<long long>(v.i64));
            break;
        case kTagF32:
            n = FormatText(buf, sizeof buf, "%.6g", static_cast<double>(v.f32));
            break;
        case kTagF64:
            n = FormatText(buf, sizeof buf, "%.13g", v.f64);
            break;
        case kTagLogical:
            n = FormatText(buf, sizeof buf, "%s", v.word ? "真" : "假");
            break;
        case kTagDateTime: {
            const DateParts p = ConvertDate(v.f64);
            n = FormatText(buf, sizeof buf, "%d年%d月%d日", p.year, p.month, p.day);
            if (p.second)
                n += FormatText(buf + n, sizeof buf - n, "%d时%d分%d秒", p.hour, p.minute, p.second);
            else if (p.minute)
                n += FormatText(buf + n, sizeof buf - n, "%d时%d分", p.hour, p.minute);
            else if (p.hour)
                n += FormatText(buf + n, sizeof buf - n, "%d时", p.hour);
            break;
        }
        case kTagText:
            result->text = FreshText(v.text, TextLength(v.text));
            return;
        case kTagByteSet: {
            const uint8_t* data = ByteSetData(v.bytes);
            result->text =
                FreshText(reinterpret_cast<const char*>(data), BytesUpToZero(data, ByteSetLength(v.bytes)));
            return;
        }
        default:
            return;
    }
    if (n > 0) result->text = FreshText(buf, n);
}

void ToNumber(TypedValue* result, int argc, const TypedValue* args) {
    if (argc < 1) return;
    const TypedValue& v = args[0];
    switch (v.tag) {
        case kTagText:
            result->f64 = TextToNumber(v.text);
            break;
        case kTagLogical:
            result->f64 = static_cast<double>(v.i32);
            break;
        case kTagU8:
            result->f64 = v.u8;
            break;
        case kTagI16:
            result->f64 = v.i16;
            break;
        case kTagI32:
            result->f64 = v.i32;
            break;
        case kTagI64:
            result->f64 = static_cast<double>(v.i64);
            break;
        case kTagF32:
            result->f64 = v.f32;
            break;
        case kTagF64:
            result->f64 = v.f64;
            break;
        case kTagWord:
            result->f64 = v.word;
            break;
        default:
            break;
    }
}

void ToByteSet(TypedValue* result, int argc, const TypedValue* args) {
    if (argc < 1) return;
    const TypedValue& v = args[0];
    if (IsArrayTag(v.tag)) {
        const uint32_t kind = v.tag & ~kTagArray;
        if (IsNumericTag(kind) && v.bytes)
            result->bytes = FreshByteSet(ByteSetData(v.bytes), ByteSetLength(v.bytes) * NumericSize(kind));
        return;
    }
    if (IsNumericTag(v.tag)) {
        result->bytes = FreshByteSet(&v.raw, NumericSize(v.tag));
        return;
    }
    switch (v.tag) {
        case kTagText:
            result->bytes = FreshByteSet(v.text, TextLength(v.text));
            break;
        case kTagByteSet:
            result->bytes = FreshByteSet(ByteSetData(v.bytes), ByteSetLength(v.bytes));
            break;
        case kTagLogical:
        case kTagWord:
            result->bytes = FreshByteSet(&v.raw, 4);
            break;
        case kTagDateTime:
        case kTagQword:
            result->bytes = FreshByteSet(&v.raw, 8);
            break;
        default:
            break;
    }
}

void GetYear(TypedValue* result, int argc, const TypedValue* args) {
    if (argc >= 1) result->i32 = ConvertDate(args[0].f64).year;
}
void GetMonth(TypedValue* result, int argc, const TypedValue* args) {
    if (argc >= 1) result->i32 = ConvertDate(args[0].f64).month;
}
void GetDay(TypedValue* result, int argc, const TypedValue* args) {
    if (argc >= 1) result->i32 = ConvertDate(args[0].f64).day;
}

}  // namespace qv
