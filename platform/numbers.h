// The arithmetic of the original runtime: conversion to 32-bit integers with round-half-to-even, integer
// division and Mod on rounded operands, Val and the text form of a single-precision number.
// A value that cannot be converted raises Overflow (or DivisionByZero): an error the caller sees.
#pragma once

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

struct Overflow : std::overflow_error {
    Overflow() : std::overflow_error("Overflow") {}
};

struct DivisionByZero : std::domain_error {
    DivisionByZero() : std::domain_error("Division by zero") {}
};

// True and False where Booleans are used as numbers.
inline constexpr int True = -1;
inline constexpr int False = 0;

// CLng: round half to even, then check the 32-bit range.
inline std::int32_t CLng(double value) {
    const double rounded = std::nearbyint(value);  // the default rounding mode rounds ties to even
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) throw Overflow();
    return static_cast<std::int32_t>(rounded);
}

// The `\` operator: both operands rounded first, quotient truncated toward zero.
inline std::int32_t IntDiv(double a, double b) {
    const std::int64_t n = CLng(a), d = CLng(b);
    if (d == 0) throw DivisionByZero();
    const std::int64_t q = n / d;
    if (q > INT32_MAX) throw Overflow();  // -2147483648 \ -1
    return static_cast<std::int32_t>(q);
}

// Mod: both operands rounded first; the remainder takes the sign of the dividend.
inline std::int32_t Mod(double a, double b) {
    const std::int64_t n = CLng(a), d = CLng(b);
    if (d == 0) throw DivisionByZero();
    return static_cast<std::int32_t>(n % d);
}

// Int: the largest whole number not above the value.
inline double Int(double value) {
    return std::floor(value);
}

// Val: the longest leading number of the text, leading blanks skipped; 0 when there is none.
inline double Val(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
    const std::size_t start = i;
    auto digits = [&] {
        std::size_t n = 0;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, ++n;
        return n;
    };
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t mantissa = digits();
    if (i < text.size() && text[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) return 0.0;
    std::size_t end = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        if (digits() > 0) end = i;
    }
    std::string number(text.substr(start, end - start));
    for (char& c : number)
        if (c == 'd' || c == 'D') c = 'E';
    return std::strtod(number.c_str(), nullptr);
}

// The text form of a single-precision number: at most 7 significant digits, no leading blank,
// no decimal point for whole numbers, an exponent of the form E+07 for large values.
inline std::string SingleText(float value) {
    if (value == 0.0f) return "0";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.7G", static_cast<double>(value));
    return buffer;
}

}  // namespace platform
