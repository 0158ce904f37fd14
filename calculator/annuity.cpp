#include "calculator/annuity.h"

#include <cmath>

#include "core/text.h"

namespace tessary {

double Payment(double r, int n, double loan) {
    const double c = std::pow(1 + r, n);
    if (c > 1e16) return loan * r;
    double a;  // the annuity factor
    if (r == 0) {
        a = n;
    } else if (std::fabs(r) < 0.000061) {
        // (c - 1) / r loses its digits to cancellation this close to 0.
        a = n * (1 + r * (n - 1) / 2);
    } else {
        a = (c - 1) / r;
    }
    return loan * c / a;
}

std::optional<double> NumberOfPeriods(double r, double payment, double loan) {
    if (payment == 0) return std::nullopt;
    if (std::fabs(r) < 0.000061) return loan / payment;
    const double t = r * loan / payment;
    if (t >= 1) return std::nullopt;
    const double q = -std::log(1 - t) / std::log(1 + r);
    if (!std::isfinite(q)) return std::nullopt;
    return q;
}

std::optional<double> ReadExactNumber(std::string_view text) {
    std::size_t i = 0;
    const auto digits = [&] {
        const std::size_t from = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
        return i - from;
    };
    while (i < text.size() && text[i] == ' ') ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t mantissa = digits();
    if (i < text.size() && text[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        if (digits() == 0) return std::nullopt;
    }
    while (i < text.size() && text[i] == ' ') ++i;
    if (i != text.size()) return std::nullopt;
    return ReadFiniteNumber(text);
}

}  // namespace tessary
