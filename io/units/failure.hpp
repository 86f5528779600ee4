#pragma once
// An I/O statement that cannot go on. Thrown inside the I/O layer and caught
// at the statement's entry point, which either reports the error (ending the
// program) or returns its number when the statement asked for that.
namespace io {

struct IoFailure {
    int message_number;  // the report number is 6000 plus this
};

[[noreturn]] inline void fail(int message_number) { throw IoFailure{message_number}; }

}  // namespace io
