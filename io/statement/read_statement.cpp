// Input statements: the begin call, one call per item and the end call,
// with the error policy of every input statement in one place.
#include "io/statement/read_statement.hpp"

#include "io/listio/list_input.hpp"
#include "io/units/console.hpp"
#include "io/units/failure.hpp"
#include "io/units/unit_table.hpp"
#include "runtime/termination.hpp"

namespace io {

namespace {

// The one input statement in progress.
struct ReadStatement {
    Unit* unit = nullptr;
    bool return_errors = false;
    bool started = false;  // the first item (or the end) has set the reader up
    int error = 0;         // a returned error abandons the rest of the statement
    ListRead reader;
};

ReadStatement g_read;

// Runs one part of the statement. An error either ends the program with its
// report or, when the statement asked for it, becomes the statement status.
template <typename Part>
int run(Part part) {
    ReadStatement& statement = g_read;
    if (statement.error != 0) return statement.error;
    try {
        if (statement.unit == nullptr) statement.unit = &list_input_unit(default_input_unit);
        if (!statement.started) {
            start_list_read(statement.reader, *statement.unit);
            statement.started = true;
        }
        part(statement.reader);
        return 0;
    } catch (const IoFailure& failure) {
        if (!statement.return_errors) {
            const Unit* unit = statement.unit != nullptr ? statement.unit : &console_input_unit();
            rt::raise_error(failure.message_number, rt::Kind::read, unit->connection.name,
                            typed_value_detail(statement.reader, failure.message_number));
        }
        statement.error = failure.message_number;
        return statement.error;
    }
}

}  // namespace

int begin_read(int unit, int flags) {
    g_read = ReadStatement{};
    g_read.return_errors = (flags & return_errors_flag) != 0;
    try {
        g_read.unit = &list_input_unit(unit);
    } catch (const IoFailure& failure) {
        if (!g_read.return_errors) rt::raise_error(failure.message_number, rt::Kind::read, console_input_unit().connection.name);
        g_read.error = failure.message_number;
        return g_read.error;
    }
    return 0;
}

int read_integer_item(std::int32_t& value) {
    return run([&value](ListRead& reader) { read_integer(reader, value); });
}

int read_real8_item(double& value) {
    return run([&value](ListRead& reader) { read_real8(reader, value); });
}

int read_character_item(char* text, int length) {
    if (length < 0) length = 0;
    return run([text, length](ListRead& reader) { read_character(reader, text, length); });
}

int end_read() {
    const int status = run([](ListRead& reader) { end_list_read(reader); });
    if (g_read.unit != nullptr) end_console_read(*g_read.unit);
    g_read = ReadStatement{};
    return status;
}

}  // namespace io
