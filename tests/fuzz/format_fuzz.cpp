// The format compiler and the record writer: any format text with any list
// of integer, real and character items, written to a file unit with errors
// returned instead of ending the process.
//
// Input: the first line lists the items, separated by blanks:
//   i<integer>   r<decimal text>   b<16 hex digits, the bits of a real>
//   c<text>      (a character item: the text up to the next blank)
// Everything after the first LF is the format text.
//
// Each input is written three times to a freshly replaced file: twice with
// its length (the second time the statement may reuse the compiled list of
// the first) and, when the text holds no NUL, once with length -1 from a
// NUL-terminated copy. The three files must be identical, and the status
// must be 0 or one of the errors a format statement can raise.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "io/statement/write_statement.hpp"
#include "io/units/unit.hpp"
#include "io/units/unit_table.hpp"
#include "io/units/open.hpp"
#include "io/units/close.hpp"
#include "runtime/messages.hpp"

namespace {

constexpr int report_unit = 7;
constexpr std::size_t max_items = 48;

struct Item {
    char type = 0;  // 'i', 'r', 'c'
    std::int32_t integer = 0;
    double real = 0.0;
    std::string text;
};

struct Target {
    std::string directory;  // made for this process, removed at its exit
    std::string path;       // the file the unit is connected to
};

Target g_target;

void remove_target() {
    ::unlink(g_target.path.c_str());
    ::rmdir(g_target.directory.c_str());
}

std::vector<Item> parse_items(std::string_view line) {
    std::vector<Item> items;
    std::size_t at = 0;
    while (at < line.size() && items.size() < max_items) {
        const std::size_t end = std::min(line.find(' ', at), line.size());
        const std::string token(line.substr(at, end - at));
        at = end + 1;
        if (token.empty()) continue;
        Item item;
        item.type = token[0];
        const std::string rest = token.substr(1);
        switch (token[0]) {
            case 'i':
                item.integer = static_cast<std::int32_t>(static_cast<std::uint32_t>(std::strtoll(rest.c_str(), nullptr, 10)));
                break;
            case 'r':
                item.real = std::strtod(rest.c_str(), nullptr);
                break;
            case 'b': {
                const std::uint64_t bits = std::strtoull(rest.c_str(), nullptr, 16);
                std::memcpy(&item.real, &bits, sizeof bits);
                item.type = 'r';
                break;
            }
            case 'c':
                item.text = rest;
                break;
            default:
                continue;
        }
        items.push_back(item);
    }
    return items;
}

// A bound on the characters a statement can produce: the numbers of the
// text (widths, counts, positions) are each at most this large, and the
// work grows with the product of every group repeat count. Blanks and tabs
// inside a number are skipped, as the compiler does; a number whose first
// 16 digits exceed 32 bits can only be a compile error and costs nothing.
// Texts over the bound are left out: what they would do is only a matter of
// time and memory.
constexpr double largest_number = 100000;
constexpr double largest_work = 4e6;
constexpr double largest_integer = 2147483647;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool bounded_work(std::string_view format, std::size_t item_count) {
    double sum = static_cast<double>(format.size());
    double product = 1;
    std::size_t i = 0;
    while (i < format.size()) {
        if (!is_digit(format[i])) {
            ++i;
            continue;
        }
        double value = 0;           // all the digits, saturated
        double first_sixteen = 0;   // the digits the compiler reads
        int count = 0;
        while (i < format.size() && (is_digit(format[i]) || format[i] == ' ' || format[i] == '\t')) {
            if (is_digit(format[i])) {
                value = std::min(value * 10 + (format[i] - '0'), 1e300);
                if (++count <= 16) first_sixteen = first_sixteen * 10 + (format[i] - '0');
            }
            ++i;
        }
        if (first_sixteen > largest_integer) continue;
        if (value > largest_number) return false;
        sum += value + 1;
        if (i < format.size() && format[i] == '(') product *= std::max(value, 1.0);
        if (product > largest_work) return false;
    }
    return product * sum * static_cast<double>(item_count + 1) <= largest_work;
}

// The statuses a format statement may return on a file unit.
bool expected_status(int status) {
    switch (status) {
        case 0:
        // item and descriptor do not match
        case rt::msg::character_needs_a:
        case rt::msg::real_needs_real_descriptor:
        case rt::msg::integer_needs_i:
        case rt::msg::logical_needs_l:
        // no memory for the format or the record
        case rt::msg::no_memory:
        // format errors, raised when reached
        case rt::msg::format_number_missing:
        case rt::msg::format_not_parenthesised:
        case rt::msg::format_zero_position_or_bare_sign:
        case rt::msg::format_repeat_not_allowed:
        case rt::msg::format_count_missing:
        case rt::msg::format_too_deeply_nested:
        case rt::msg::format_point_missing:
        case rt::msg::format_text_not_closed:
        case rt::msg::format_misplaced:
        case rt::msg::format_digits_exceed_width:
        case rt::msg::format_number_too_large:
            return true;
        default:
            return false;
    }
}

std::string read_all(const std::string& path) {
    std::string bytes;
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return "(cannot read back the file)";
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

[[noreturn]] void fault(const char* what, int a, int b) {
    std::fprintf(stderr, "format statement fault: %s (%d, %d)\n", what, a, b);
    std::abort();
}

struct Outcome {
    int status;
    std::string bytes;
};

// One output statement on a file replaced for it; the bytes it left there.
Outcome write_once(const char* format, int length, const std::vector<Item>& items) {
    io::OpenSpecifiers specifiers;
    specifiers.file = {g_target.path.c_str(), static_cast<int>(g_target.path.size())};
    specifiers.status = {"REPLACE", 7};
    const int opened = io::open_unit(report_unit, specifiers, io::return_errors_flag);
    if (opened != 0) fault("open failed", opened, 0);

    int status = io::begin_write(report_unit, format, length, nullptr, 0, io::return_errors_flag);
    const int begin_status = status;
    for (const Item& item : items) {
        switch (item.type) {
            case 'i': io::write_integer_item(item.integer); break;
            case 'r': io::write_real8_item(item.real); break;
            default: io::write_character_item(item.text.data(), static_cast<int>(item.text.size())); break;
        }
    }
    status = io::end_write();
    if (begin_status != 0 && status != begin_status) fault("end call lost the error of the begin call", begin_status, status);
    if (!expected_status(status)) fault("unexpected status", status, 0);

    const int closed = io::close_unit(report_unit, nullptr, 0, io::return_errors_flag);
    if (closed != 0) fault("close failed", closed, 0);
    return {status, read_all(g_target.path)};
}

void compare(const Outcome& a, const Outcome& b, const char* what) {
    if (a.status != b.status) fault(what, a.status, b.status);
    if (a.bytes != b.bytes) fault(what, static_cast<int>(a.bytes.size()), static_cast<int>(b.bytes.size()));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    io::create_console_units();
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/raizes-format-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::abort();
    }
    g_target.directory = pattern;
    g_target.path = pattern + "/report.txt";
    std::atexit(remove_target);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t line_end = input.find('\n');
    if (line_end == std::string_view::npos) return -1;
    const std::vector<Item> items = parse_items(input.substr(0, line_end));
    const std::string format(input.substr(line_end + 1));
    if (!bounded_work(format, items.size())) return -1;

    // With an explicit length the text has no terminator after it, so a read
    // past its end is caught.
    const std::unique_ptr<char[]> exact(new char[format.size()]);
    std::memcpy(exact.get(), format.data(), format.size());
    const int length = static_cast<int>(format.size());
    const Outcome first = write_once(exact.get(), length, items);
    const Outcome again = write_once(exact.get(), length, items);
    compare(first, again, "the same statement written twice differs");
    if (format.find('\0') == std::string::npos) {
        const Outcome terminated = write_once(format.c_str(), -1, items);
        compare(first, terminated, "length -1 and the explicit length differ");
    }
    return 0;
}
