#pragma once
// An I/O statement that cannot go on. Thrown inside the I/O layer and caught
// at the statement's entry point, which either reports the error (ending the
// program) or returns its number when the statement asked for that.
#include <string>

namespace io {

struct IoFailure {
    int message_number;  // the report number is 6000 plus this
    std::string detail{};  // follows the message text in the report
};

[[noreturn]] inline void fail(int message_number) { throw IoFailure{message_number}; }
[[noreturn]] inline void fail(int message_number, std::string detail) {
    throw IoFailure{message_number, std::move(detail)};
}

}  // namespace io
