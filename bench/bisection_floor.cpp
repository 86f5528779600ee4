// The floor for the program's long bisection run: the same iterates and the
// same row layout, edited with std::to_chars and written through one large
// buffer, with no I/O layer in between.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

double f(double x) { return 667.38 * (1.0 - std::exp(-0.146843 * x)) / x - 40.0; }

char* put_right(char* out, const char* text, std::size_t length, std::size_t width) {
    std::size_t blanks = length < width ? width - length : 0;
    std::memset(out, ' ', blanks);
    std::memcpy(out + blanks, text, length);
    return out + blanks + length;
}

char* put_integer(char* out, long value) {
    char text[24];
    auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return put_right(out, text, static_cast<std::size_t>(end - text), 5);
}

char* put_real(char* out, double value) {
    char text[40];
    auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, 15).ptr;
    for (char* c = text; c != end; ++c)
        if (*c == 'e') *c = 'E';
    return put_right(out, text, static_cast<std::size_t>(end - text), 25);
}

}  // namespace

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : "floor.bis.txt";
    const long nmax = argc > 2 ? std::atol(argv[2]) : 1000000;
    std::FILE* file = std::fopen(path, "wb");
    if (!file) return 1;
    static std::vector<char> buffer(1 << 20);
    std::setvbuf(file, buffer.data(), _IOFBF, buffer.size());

    double a = 16, b = 20;
    double fa = f(a);
    double previous = 0;
    char row[128];
    for (long i = 1; i <= nmax; ++i) {
        double p = (b + a) * 0.5;
        double fp = f(p);
        char* end = put_integer(row, i);
        end = put_real(end, p);
        if (i > 1) end = put_real(end, std::fabs(p - previous));
        *end++ = '\r';
        *end++ = '\n';
        std::fwrite(row, 1, static_cast<std::size_t>(end - row), file);
        if (fp * fa > 0) {
            a = p;
            fa = fp;
        } else {
            b = p;
        }
        previous = p;
    }
    return std::fclose(file) == 0 ? 0 : 1;
}
