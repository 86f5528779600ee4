// The format compiler and the record writer: any format text with any list
// of integer, real and character items, written to a file unit with errors
// returned instead of ending the process.
//
// Input: the first line lists the items, separated by blanks, everything
// after the first LF is the format text (support/format_statement_input.hpp).
//
// Each input is written to a freshly replaced file: twice with its length
// (the second time the statement reuses the compiled list of the first and
// its plan), and when the text holds no NUL once with length -1 from a
// NUL-terminated copy. The files and the statuses must be identical to
// those of the model of the writer (support/format_model.hpp), and the
// status must be 0 or one of the errors a format statement can raise.
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

#include "io/format/format_compiler.hpp"
#include "io/format/output_items.hpp"
#include "io/statement/write_statement.hpp"
#include "io/units/unit.hpp"
#include "io/units/unit_table.hpp"
#include "io/units/open.hpp"
#include "io/units/close.hpp"
#include "runtime/messages.hpp"
#include "support/format_model.hpp"
#include "support/format_statement_input.hpp"

namespace {

constexpr int report_unit = 7;
using format_input::Item;

struct Target {
    std::string directory;  // made for this process, removed at its exit
    std::string path;       // the file the unit is connected to
};

Target g_target;

void remove_target() {
    ::unlink(g_target.path.c_str());
    ::rmdir(g_target.directory.c_str());
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

void open_target() {
    io::OpenSpecifiers specifiers;
    specifiers.file = {g_target.path.c_str(), static_cast<int>(g_target.path.size())};
    specifiers.status = {"REPLACE", 7};
    const int opened = io::open_unit(report_unit, specifiers, io::return_errors_flag);
    if (opened != 0) fault("open failed", opened, 0);
}

Outcome close_target(int status) {
    const int closed = io::close_unit(report_unit, nullptr, 0, io::return_errors_flag);
    if (closed != 0) fault("close failed", closed, 0);
    return {status, read_all(g_target.path)};
}

// One output statement on a file replaced for it; the bytes it left there.
Outcome write_once(const char* format, int length, const std::vector<Item>& items) {
    open_target();

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
    return close_target(status);
}

// The same statement written by the model of the writer.
Outcome model_once(const char* format, int length, const std::vector<Item>& items) {
    io::CompiledFormat compiled;
    io::compile_format(format, length, compiled);
    io::QueuedItems queued;
    format_input::queue(items, queued);
    format_model::File file;
    const int status = format_model::Statement(compiled, queued, file).run(false);
    return {status, file.bytes};
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
    const std::optional<format_input::Statement> statement =
        format_input::decode(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!statement) return -1;
    const std::vector<Item>& items = statement->items;
    const std::string& format = statement->format;

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
    compare(first, model_once(exact.get(), length, items), "the writer and its model differ");
    return 0;
}
