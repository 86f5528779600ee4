// Output statements: the begin call, the item calls that queue the items,
// and the end call that hands them to the record writer of the statement's
// kind, with the error policy of every output statement.
#include "io/statement/write_statement.hpp"

#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include "io/format/format_compiler.hpp"
#include "io/format/format_plan.hpp"
#include "io/format/format_writer.hpp"
#include "io/format/output_items.hpp"
#include "io/format/record.hpp"
#include "io/listio/list_output.hpp"
#include "io/units/keywords.hpp"
#include "io/units/unit_table.hpp"
#include "platform/console.hpp"
#include "runtime/messages.hpp"
#include "runtime/termination.hpp"

namespace io {

namespace {

// One open output statement: its header, its queue, its compiled format, the
// plans made of it, and the record its records are built in.
struct QueuedStatement {
    bool has_format = false;
    bool default_unit = false;
    bool non_advancing = false;
    bool return_errors = false;
    int unit = 0;
    int begin_error = 0;  // an error of the begin call, raised at the end call
    CompiledFormat format;
    FormatPlans plans;        // for the item sequences written with `format`
    std::string format_text;  // the text `format` was compiled from
    int format_length = 0;    // and the length it was given with
    QueuedItems items;
    Record record;
};

// Statements may nest (an item evaluated by a function that itself writes);
// each level keeps its own queue. Beyond this depth a statement is refused.
constexpr int nesting_limit = 4;

struct StatementStack {
    std::array<QueuedStatement, nesting_limit> levels;
    int depth = 0;  // open statements, including refused ones
    // The queue the item calls add to: the innermost statement's, none
    // after a refused begin call.
    QueuedItems* open = nullptr;
};

StatementStack g_statements;

QueuedStatement* current() {
    int depth = g_statements.depth;
    return depth >= 1 && depth <= nesting_limit ? &g_statements.levels[depth - 1] : nullptr;
}

// The non-advancing specifier: NO, or YES (advancing, the default).
constexpr std::array<std::string_view, 2> advance_keywords{"NO", "YES"};

std::string_view unit_name_for(int unit) {
    Unit* found = lookup_unit(unit, Direction::output);
    return found ? std::string_view(found->connection.name) : std::string_view("CON");
}

// Reports the error, or hands its number back when the statement asked.
int settle_error(int message_number, bool return_errors, int unit) {
    if (return_errors) return message_number;
    rt::raise_error(message_number, rt::Kind::write, unit_name_for(unit));
}

bool is_unformatted(UnitKind kind) {
    return kind == UnitKind::binary_direct || kind == UnitKind::binary_sequential ||
           kind == UnitKind::unformatted_direct || kind == UnitKind::unformatted_sequential;
}

// A report writes the same few formats over and over; compiling is a pure
// function of the text, so the compiled list of the level's last text is
// used again when the next statement passes the very same bytes.
bool same_text(const QueuedStatement& statement, const char* format, int format_length) {
    if (format_length != statement.format_length || statement.format.bytes.empty()) return false;
    const std::string& known = statement.format_text;
    if (format_length >= 0) return known == std::string_view(format, static_cast<std::size_t>(format_length));
    // A text up to its NUL (the known one holds none): the same bytes and
    // then the NUL. The comparison stops at the first NUL of either.
    return std::strncmp(format, known.c_str(), known.size() + 1) == 0;
}

[[gnu::noinline]] void compile_anew(QueuedStatement& statement, const char* format, int format_length) {
    const std::size_t length = format_length >= 0 ? static_cast<std::size_t>(format_length) : std::strlen(format);
    statement.format_text.clear();
    statement.plans.clear();
    compile_format(format, format_length, statement.format);
    statement.format_text.assign(format, length);
    statement.format_length = format_length;
}

// The begin call's checks of the non-advancing specifier.
[[gnu::noinline]] int check_advance(QueuedStatement& statement, const char* advance, int advance_length) {
    const int keyword = match_keyword(advance, advance_length, advance_keywords);
    statement.non_advancing = keyword == 0;
    return keyword < 0 ? rt::msg::bad_advance : 0;
}

Status write_statement(Unit* unit, QueuedStatement& statement) {
    if (!unit) return failed(rt::msg::bad_unit_number);
    if (is_unformatted(unit->connection.kind)) return failed(rt::msg::formatted_on_unformatted);
    if (!statement.has_format) return list_write(*unit, statement.items);
    const FormatPlan& plan = statement.plans.plan_for(statement.format, statement.items, statement.non_advancing);
    return write_formatted(*unit, plan, statement.items, statement.record);
}

QueuedItems* queue_of(QueuedStatement* statement) {
    return statement && !statement->begin_error ? &statement->items : nullptr;
}

// The statement's work once its items are queued: 0, the error it returns,
// or the error report that ends the run. Nothing here needs undoing on the
// way out, so its calls stay plain calls where exceptions cost.
int finish_write(QueuedStatement* statement) {
    if (!statement) return rt::msg::statements_nested_too_deeply;
    if (statement->begin_error) return statement->begin_error;
    Unit* unit = lookup_unit(statement->unit, Direction::output);
    const Status status = write_statement(unit, *statement);
    if (!status.failed()) return 0;
    if (statement->return_errors) return status.message_number;
    rt::raise_error(status.message_number, rt::Kind::write, unit ? std::string_view(unit->connection.name) : "CON");
}

}  // namespace

int begin_write(int unit, const char* format, int format_length, const char* advance, int advance_length,
                int flags) {
    // The one point of a write where the host may have its turn: between
    // statements, with nothing of the writer on the stack.
    plat::host_turn();
    const bool return_errors = (flags & return_errors_flag) != 0;
    ++g_statements.depth;
    g_statements.open = nullptr;
    QueuedStatement* statement = current();
    if (!statement) return settle_error(rt::msg::statements_nested_too_deeply, return_errors, unit);

    statement->default_unit = unit == default_output_unit;
    statement->unit = statement->default_unit ? default_output_unit : unit;
    statement->return_errors = return_errors;
    statement->has_format = format != nullptr;
    statement->non_advancing = false;
    statement->items.clear();

    int error = 0;
    if (!statement->default_unit && (unit < -32767 || unit > 32767)) error = rt::msg::bad_unit_number;
    if (!error && advance) error = check_advance(*statement, advance, advance_length);
    if (!error && format && !same_text(*statement, format, format_length)) compile_anew(*statement, format, format_length);
    statement->begin_error = error;
    if (error) return settle_error(error, return_errors, unit);
    g_statements.open = &statement->items;
    return 0;
}

int write_integer_item(std::int32_t value) {
    if (QueuedItems* queue = g_statements.open) queue->add_integer(value);
    return 0;
}

int write_real8_item(double value) {
    if (QueuedItems* queue = g_statements.open) queue->add_real8(value);
    return 0;
}

int write_character_item(const char* text, int length) {
    if (length < 0) length = 0;
    if (QueuedItems* queue = g_statements.open) {
        queue->add_character(std::string_view(text, static_cast<std::size_t>(length)));
    }
    return 0;
}

int end_write() {
    QueuedStatement* statement = current();
    if (g_statements.depth == 0) return 0;
    const int result = finish_write(statement);
    --g_statements.depth;
    g_statements.open = queue_of(current());
    return result;
}

}  // namespace io
