// The floor for the program's report rows: the same iterates of the same
// equation, in the same order of operations as the methods, and the same
// row bytes, edited with std::to_chars and written through a 1024-byte
// buffer like the report unit's, with no I/O layer in between. The row's
// widths come from the report's layout.
//
//   report_floor bisection      FILE NMAX A B TOL
//   report_floor false-position FILE NMAX P0 P1 TOL
//   report_floor fixed-point    FILE NMAX P0 TOL
//   report_floor newton         FILE NMAX P0 TOL
//
// FILE receives the table rows only (no header, heading or trailer).
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "subrotinas/leiaute_relatorio.hpp"

namespace {

// ---- The equation, one operation per statement ---------------------------

constexpr double k = 0.146843;
constexpr double A = 667.38;
constexpr double B = 40.0;

double f(double x) {
    double t = x * k;
    t = -t;
    const double e = std::exp(t);
    double u = 1.0 - e;
    u = u * A;
    u = u / x;
    return u - B;
}

double g(double x) {
    double t = x * k;
    t = -t;
    const double e = std::exp(t);
    double u = 1.0 - e;
    u = u * A;
    return u / B;
}

double df(double x) {
    double t = x * k;
    t = -t;
    const double e = std::exp(t);
    double u = 1.0 - e;
    u = u * A;
    const double s = std::pow(x, 2.0);
    double v = u / s;
    v = -v;
    double t2 = x * k;
    t2 = -t2;
    const double e2 = std::exp(t2);
    double w = e2 * k;
    w = w * A;
    w = w / x;
    return v + w;
}

// ---- Output through a 1024-byte buffer ------------------------------------

// A row is written straight into the buffer, which is passed to the file
// first when it has no room for the longest row.
struct Output {
    static constexpr std::size_t longest_row = 2 * leiaute::largura_real + leiaute::largura_inteiro + 2;

    std::FILE* file;
    char buffer[1024] = {};
    std::size_t used = 0;

    void flush() {
        if (used > 0 && std::fwrite(buffer, 1, used, file) != used) std::exit(1);
        used = 0;
    }
    char* room() {
        if (sizeof buffer - used < longest_row) flush();
        return buffer + used;
    }
    void commit(const char* end) { used = static_cast<std::size_t>(end - buffer); }
};

// ---- The row fields ---------------------------------------------------------

constexpr int integer_width = leiaute::largura_inteiro;
constexpr int real_width = leiaute::largura_real;
constexpr int shown = leiaute::digitos_real + 1;  // significant digits shown
static_assert(shown == 16, "the rounding below keeps 16 of the 17 digits");

// I5: right-justified, five asterisks when it needs more than five columns.
char* put_integer(char* out, long value) {
    char text[24];
    const std::size_t length = static_cast<std::size_t>(std::to_chars(text, text + sizeof text, value).ptr - text);
    if (length > integer_width) {
        std::memset(out, '*', integer_width);
        return out + integer_width;
    }
    std::memset(out, ' ', integer_width - length);
    std::memcpy(out + integer_width - length, text, length);
    return out + integer_width;
}

// A double M x 2^E (M odd) can be an exact tie at the 18th significant
// digit only for -25 <= E <= -1.
bool may_be_exact_tie(double magnitude) {
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    const int biased = static_cast<int>(bits >> 52);
    const std::uint64_t fraction = bits & 0x000FFFFFFFFFFFFFu;
    const std::uint64_t mantissa = biased == 0 ? fraction : fraction | 0x0010000000000000u;
    const int exponent = (biased == 0 ? -1074 : biased - 1075) + std::countr_zero(mantissa);
    return exponent >= -25 && exponent <= -1;
}

// The exponent part, 'E' and a sign with two digits or a sign with three.
char* put_exponent(char* out, int exponent) {
    const int magnitude = exponent < 0 ? -exponent : exponent;
    if (magnitude < 100) {
        *out++ = 'E';
        *out++ = exponent < 0 ? '-' : '+';
    } else {
        *out++ = exponent < 0 ? '-' : '+';
        *out++ = static_cast<char>('0' + magnitude / 100);
    }
    *out++ = static_cast<char>('0' + magnitude / 10 % 10);
    *out++ = static_cast<char>('0' + magnitude % 10);
    return out;
}

// 1P,E25.15 of a finite value: 17 digits rounded by the 18th (an exact tie
// away from zero), then rounded again to the 16 shown. The library's text
// d.dddddddddddddddde+XX (or e-XXX) gives the digits and, unless the second
// rounding carries into a new first digit, the exponent as it is written.
char* put_real(char* out, double value) {
    const bool negative = value < 0;
    const double magnitude = std::fabs(value);
    char text[48];
    const char* end = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, 16).ptr;
    char* const field = out + real_width - (shown + 6);
    std::memset(out, ' ', real_width - (shown + 6));
    field[0] = negative && magnitude != 0 ? '-' : ' ';
    char* const digits = field + 1;  // d . 15 digits
    digits[0] = text[0];
    digits[1] = '.';
    std::memcpy(digits + 2, text + 2, shown - 1);
    char last = text[shown + 1];  // the 17th digit
    // to_chars rounds an exact tie to even: "...4|5" stays 4 where the
    // program's conversion gives 5.
    if (last == '4' && may_be_exact_tie(magnitude)) {
        char exact[48];
        std::to_chars(exact, exact + sizeof exact, magnitude, std::chars_format::scientific, 33);
        if (exact[17] == '4' && exact[18] == '5' &&
            std::string_view(exact + 19, 15).find_first_not_of('0') == std::string_view::npos)
            last = '5';
    }
    const char* exponent = text + shown + 3;  // after the 'e'
    if (last >= '5') {
        int i = shown;
        while (i >= 2 && digits[i] == '9') digits[i--] = '0';
        if (i >= 2) {
            ++digits[i];
        } else if (digits[0] != '9') {
            ++digits[0];
        } else {
            digits[0] = '1';
            int e = 0;
            std::from_chars(exponent + (exponent[0] == '+' ? 1 : 0), end, e);
            return put_exponent(digits + shown + 1, e + 1);
        }
    }
    char* e = digits + shown + 1;
    if (end - exponent == 3) *e++ = 'E';  // sign and two digits
    std::memcpy(e, exponent, static_cast<std::size_t>(end - exponent));
    return out + real_width;
}

void row(Output& output, long i, double p) {
    char* end = put_real(put_integer(output.room(), i), p);
    *end++ = '\r';
    *end++ = '\n';
    output.commit(end);
}

void row(Output& output, long i, double p, double change) {
    char* end = put_real(put_real(put_integer(output.room(), i), p), change);
    *end++ = '\r';
    *end++ = '\n';
    output.commit(end);
}

// ---- The methods, stopping where the program's routines stop ------------

void bisection(Output& out, long nmax, double a, double b, double tol) {
    double fa = f(a);
    double p = (b + a) * 0.5;
    double fp = f(p);
    row(out, 1, p);
    if ((b - a) * 0.5 < tol || fp == 0.0) return;
    if (fp * fa > 0.0) {
        a = p;
        fa = fp;
    } else {
        b = p;
    }
    for (long i = 2; i <= nmax; ++i) {
        const double previous = p;
        p = (b + a) * 0.5;
        fp = f(p);
        const bool converged = std::fabs((b - a) * 0.5) < tol || fp == 0.0;
        row(out, i, p, std::fabs(p - previous));
        if (converged) return;
        if (fp * fa > 0.0) {
            a = p;
            fa = fp;
        } else {
            b = p;
        }
    }
}

void false_position(Output& out, long nmax, double p0, double p1, double tol) {
    double q0 = f(p0);
    double q1 = f(p1);
    const auto next = [&] {
        double d = p1 - p0;
        d = d * q1;
        double e = q1 - q0;
        d = d / e;
        return p1 - d;
    };
    const auto update = [&](double iterate) {
        const double q = f(iterate);
        if (q * q1 < 0.0) {
            p0 = p1;
            q0 = q1;
        }
        p1 = iterate;
        q1 = q;
    };
    double p = next();
    row(out, 1, p);
    if (std::fabs(p - p1) < tol) return;
    update(p);
    for (long i = 2; i <= nmax; ++i) {
        const double previous = p;
        p = next();
        const bool converged = std::fabs(p - p1) < tol;
        row(out, i, p, std::fabs(p - previous));
        if (converged) return;
        update(p);
    }
}

void fixed_point(Output& out, long nmax, double p0, double tol) {
    double p = g(p0);
    row(out, 1, p);
    if (std::fabs(p - p0) < tol) return;
    for (long i = 2; i <= nmax; ++i) {
        const double previous = p;
        p = g(previous);
        const double change = std::fabs(p - previous);
        row(out, i, p, change);
        if (change < tol) return;
    }
}

void newton(Output& out, long nmax, double p0, double tol) {
    double p = p0;
    row(out, 0, p);
    for (long i = 1; i <= nmax; ++i) {
        const double previous = p;
        const double fx = f(previous);
        const double d = df(previous);
        const double step = fx / d;
        p = previous - step;
        const double change = std::fabs(p - previous);
        row(out, i, p, change);
        if (change < tol) return;
    }
}

double number(char** argv, int index) { return std::strtod(argv[index], nullptr); }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: report_floor METHOD FILE NMAX INPUTS...\n");
        return 2;
    }
    const std::string_view method = argv[1];
    const long nmax = std::atol(argv[3]);
    const int inputs = method == "bisection" || method == "false-position" ? 3 : 2;
    if (argc != 4 + inputs || (inputs == 2 && method != "fixed-point" && method != "newton")) {
        std::fprintf(stderr, "report_floor: unknown method or wrong number of inputs\n");
        return 2;
    }
    std::FILE* file = std::fopen(argv[2], "wb");
    if (!file) return 1;
    std::setvbuf(file, nullptr, _IONBF, 0);  // the 1024-byte buffer below is the only one
    static Output output{file};

    if (method == "bisection") bisection(output, nmax, number(argv, 4), number(argv, 5), number(argv, 6));
    if (method == "false-position") false_position(output, nmax, number(argv, 4), number(argv, 5), number(argv, 6));
    if (method == "fixed-point") fixed_point(output, nmax, number(argv, 4), number(argv, 5));
    if (method == "newton") newton(output, nmax, number(argv, 4), number(argv, 5));
    output.flush();
    return std::fclose(file) == 0 ? 0 : 1;
}
