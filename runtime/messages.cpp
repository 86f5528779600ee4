// The texts of the run-time error messages of the I/O layer and the array
// creation, one per message number (report number 6000 + message number).
#include <algorithm>
#include <iterator>

#include "runtime/termination.hpp"

namespace rt {

namespace {

struct Message {
    int number;
    std::string_view text;
};

// Sorted by number.
constexpr Message messages[] = {
    {98, "I/O statements nested too deeply"},
    {100, "integer value out of range"},
    {101, "invalid integer"},
    {102, "real value out of range"},
    {103, "invalid real"},
    {200, "formatted I/O not allowed on an unformatted unit"},
    {205, "A edit descriptor expected for CHARACTER item"},
    {206, "E, F, D or G edit descriptor expected for REAL item"},
    {207, "I edit descriptor expected for INTEGER item"},
    {208, "L edit descriptor expected for LOGICAL item"},
    {209, "the file is already open with a different kind of connection"},
    {211, "focus setting not allowed on a console without windows"},
    {213, "title not allowed on a console without windows"},
    {300, "KEEP not allowed for a scratch file"},
    {301, "SCRATCH not allowed together with a file name"},
    {302, "more than one # in an integer value"},
    {303, "radix out of range (2 to 36)"},
    {304, "invalid STATUS value"},
    {305, "invalid MODE value"},
    {306, "invalid ACCESS value"},
    {307, "invalid BLANK value"},
    {308, "invalid FORM value"},
    {309, "invalid SHARE value"},
    {311, "RECL required for direct access"},
    {314, "invalid unit number"},
    {315, "invalid RECL value"},
    {316, "array already allocated"},
    {404, "file cannot be deleted: access denied"},
    {407, "console line longer than 130 characters"},
    {412, "file name or request refused"},
    {413, "file already connected to another unit"},
    {414, "access denied"},
    {415, "file already exists"},
    {416, "file not found"},
    {417, "too many open files"},
    {418, "too many units connected"},
    {421, "write refused: access denied"},
    {422, "write failed: no space left on device, or the file size limit reached"},
    {423, "write failed"},
    {424, "file could not be created or opened"},
    {425, "not a file or a device: pipes, sockets and the like cannot take a report"},
    {500, "read failure on standard input"},
    {501, "end of file"},
    {502, "repeat count of zero"},
    {503, "more than one repeat count for a value"},
    {504, "quoted or parenthesised value for a numeric item"},
    {505, "value longer than 260 characters"},
    {602, "numeric field wider than the record"},
    {700, "out of memory"},
    {717, "out of memory for a character value"},
    {772, "array cannot be allocated: out of memory"},
    {776, "array not allocated"},
    {793, "invalid POSITION value"},
    {794, "invalid ACTION value"},
    {795, "DELIM not allowed for unformatted files"},
    {796, "invalid DELIM value"},
    {797, "PAD not allowed for unformatted files"},
    {798, "invalid PAD value"},
    {799, "invalid CARRIAGECONTROL value"},
    {980, "number missing in format"},
    {981, "format does not begin with ("},
    {982, "zero position or sign without P in format"},
    {983, "repeat count not allowed for this edit descriptor"},
    {984, "number missing before H or P in format"},
    {986, "groups nested too deeply in format"},
    {987, "decimal point missing in format"},
    {988, "text not closed in format"},
    {989, "unexpected character in format"},
    {990, "minimum digits greater than the field width"},
    {991, "number too large in format"},
    {999, "invalid ADVANCE value"},
};

static_assert(std::is_sorted(std::begin(messages), std::end(messages),
                             [](const Message& a, const Message& b) { return a.number < b.number; }));

}  // namespace

std::string_view message_text(int message_number) {
    auto found = std::lower_bound(std::begin(messages), std::end(messages), message_number,
                                  [](const Message& m, int n) { return m.number < n; });
    if (found == std::end(messages) || found->number != message_number) return {};
    return found->text;
}

}  // namespace rt
