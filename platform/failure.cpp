#include "platform/failure.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <string>

namespace kestrin {

namespace {
constexpr long long kExponentCap = 1'000'000;
}  // namespace

void throwOverflow() { throw Failure(failures::kOverflow, "Overflow"); }
void throwSubscriptOutOfRange() { throw Failure(failures::kSubscriptOutOfRange, "Subscript out of range"); }
void throwDivisionByZero() { throw Failure(failures::kDivisionByZero, "Division by zero"); }
void throwTypeMismatch() { throw Failure(failures::kTypeMismatch, "Type mismatch"); }

double roundHalfEven(double value) {
    if (!std::isfinite(value)) return value;
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction > 0.5) return lower + 1.0;
    if (fraction < 0.5) return lower;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

double parseNumber(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
    const std::string_view body = text.substr(begin, end - begin);

    // Check the shape by hand so that strtod's extras (hex, "inf", "nan") are refused.
    // On the way, note the power of ten of the first significant digit (the number lies
    // between 10^order and 10^(order + 1)), so that a value too small for a double can be
    // told from one too large.
    const auto isDigit = [&](std::size_t at) {
        return at < body.size() && std::isdigit(static_cast<unsigned char>(body[at]));
    };
    std::size_t i = 0;
    if (i < body.size() && (body[i] == '+' || body[i] == '-')) ++i;
    std::size_t digits = 0;
    bool significant = false;  // a digit other than 0 has been seen
    long long order = -1;
    while (isDigit(i)) {
        significant = significant || body[i] != '0';
        if (significant) ++order;
        ++i, ++digits;
    }
    if (i < body.size() && body[i] == '.') {
        ++i;
        while (isDigit(i)) {
            if (!significant) {
                significant = body[i] != '0';
                if (!significant) --order;
            }
            ++i, ++digits;
        }
    }
    if (digits == 0) throwTypeMismatch();
    if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
        ++i;
        const bool negative = i < body.size() && body[i] == '-';
        if (i < body.size() && (body[i] == '+' || body[i] == '-')) ++i;
        std::size_t exponentDigits = 0;
        long long exponent = 0;
        for (; isDigit(i); ++i, ++exponentDigits)
            exponent = std::min(exponent * 10 + (body[i] - '0'), kExponentCap);  // far beyond any double
        if (exponentDigits == 0) throwTypeMismatch();
        order += negative ? -exponent : exponent;
    }
    if (i != body.size()) throwTypeMismatch();

    // from_chars reads the same text whatever the locale; it takes no leading '+'.
    std::string_view number = body;
    if (!number.empty() && number.front() == '+') number.remove_prefix(1);
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    // Too small for a double is zero; too large is an overflow.
    if (result.ec == std::errc::result_out_of_range && significant && order < 0) return 0.0;
    if (result.ec == std::errc::result_out_of_range || !std::isfinite(value)) throwOverflow();
    if (result.ec != std::errc() || result.ptr != number.data() + number.size()) throwTypeMismatch();
    return value;
}

}  // namespace kestrin
