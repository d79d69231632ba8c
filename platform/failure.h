// Failures and checked arithmetic, shared by every layer.
//
// A guarded handler catches a Failure, reports it (number and description) and returns;
// the game goes on. Whole-number arithmetic never wraps: scores are 16-bit and counters
// 32-bit, and leaving that range is an overflow failure. Conversions from text or from
// fractions round to the nearest whole number, halves to the even neighbour.
#pragma once

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>

namespace kestrin {

class Failure : public std::runtime_error {
public:
    Failure(std::int32_t number, const std::string& description) : std::runtime_error(description), number_(number) {}
    std::int32_t number() const { return number_; }
    std::string description() const { return what(); }

private:
    std::int32_t number_;
};

// The failure numbers the game uses.
namespace failures {
constexpr std::int32_t kOverflow = 6;
constexpr std::int32_t kOutOfMemory = 7;
constexpr std::int32_t kSubscriptOutOfRange = 9;
constexpr std::int32_t kDivisionByZero = 11;
constexpr std::int32_t kTypeMismatch = 13;
constexpr std::int32_t kInternal = 51;
constexpr std::int32_t kFileNotFound = 53;
constexpr std::int32_t kDeviceIo = 57;
constexpr std::int32_t kPermissionDenied = 70;
constexpr std::int32_t kPathFileAccess = 75;
// The socket numbers, as the game's link has always shown them.
constexpr std::int32_t kPortProtected = 10013;      // listening on the port needs a privilege the program lacks
constexpr std::int32_t kInvalidArgument = 10022;    // a port out of range, a request no longer pending
constexpr std::int32_t kNotListening = 10048;       // the listening port could not be taken
constexpr std::int32_t kConnectionRefused = 10061;  // nothing listens where the joiner connected
constexpr std::int32_t kHostNotFound = 11001;       // no such host, or no host given
constexpr std::int32_t kWrongState = 40006;         // sending on a socket that is not connected
constexpr std::int32_t kInvalidOperation = 40020;   // connecting or listening on a socket that is open
}  // namespace failures

[[noreturn]] void throwOverflow();
[[noreturn]] void throwSubscriptOutOfRange();
[[noreturn]] void throwDivisionByZero();
[[noreturn]] void throwTypeMismatch();

// Rounds to the nearest whole number, halves to the even neighbour (12.5 to 12, 13.5 to 14).
double roundHalfEven(double value);

// Rounds to the nearest whole number, halves to the even neighbour, and checks that the
// result fits T; otherwise an overflow failure.
template <typename T>
T roundTo(double value) {
    static_assert(std::is_integral_v<T>);
    const double rounded = roundHalfEven(value);
    if (!(rounded >= static_cast<double>(std::numeric_limits<T>::min()) &&
          rounded <= static_cast<double>(std::numeric_limits<T>::max())))
        throwOverflow();  // out of range, or not a number at all
    return static_cast<T>(rounded);
}

// a + b, or an overflow failure when the sum leaves T.
template <typename T>
T checkedAdd(T a, T b) {
    static_assert(std::is_integral_v<T>);
    T result{};
    if (__builtin_add_overflow(a, b, &result)) throwOverflow();
    return result;
}

// a - b, or an overflow failure when the difference leaves T.
template <typename T>
T checkedSub(T a, T b) {
    static_assert(std::is_integral_v<T>);
    T result{};
    if (__builtin_sub_overflow(a, b, &result)) throwOverflow();
    return result;
}

// Reads numeric text: blanks around it are ignored; an optional sign, digits with an
// optional fraction and an optional exponent. Anything else (empty text included) is a
// type mismatch. A number too small for a double is 0; one too large is an overflow.
double parseNumber(std::string_view text);

// Numeric text to a whole number of type T, rounded half to even.
template <typename T>
T textTo(std::string_view text) {
    return roundTo<T>(parseNumber(text));
}

// Decimal text of a whole number: no leading zeros or blanks, a minus sign when negative.
template <typename T>
std::string decimal(T value) {
    return std::to_string(value);
}

}  // namespace kestrin
