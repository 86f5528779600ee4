#include "io/format/statement.hpp"

#include <array>
#include <cstring>
#include <string_view>

#include "io/format/queued_statement.hpp"
#include "io/units/connection.hpp"
#include "io/units/failure.hpp"
#include "runtime/termination.hpp"

namespace io {

namespace {

// Statements may nest (an item evaluated by a function that itself writes);
// each level keeps its own queue. Beyond this depth a statement is refused.
constexpr int nesting_limit = 4;
constexpr int nesting_error = 98;
constexpr int bad_unit_error = 314;
constexpr int unformatted_error = 200;
constexpr int bad_advance_error = 999;

struct StatementStack {
    std::array<QueuedStatement, nesting_limit> levels;
    int depth = 0;    // open statements, including refused ones
};

StatementStack g_statements;

QueuedStatement* current() {
    int depth = g_statements.depth;
    return depth >= 1 && depth <= nesting_limit ? &g_statements.levels[depth - 1] : nullptr;
}

bool matches_keyword(const char* text, int length, std::string_view keyword) {
    if (length < static_cast<int>(keyword.size())) return false;
    for (std::size_t i = 0; i < keyword.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != keyword[i]) return false;
    }
    for (int i = static_cast<int>(keyword.size()); i < length; ++i)
        if (text[i] != ' ') return false;
    return true;
}

std::string_view unit_name_for(int unit) {
    Unit* found = lookup_unit(unit, Direction::output);
    return found ? std::string_view(found->name) : std::string_view("CON");
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
void compile_for(QueuedStatement& statement, const char* format, int format_length) {
    const std::size_t length = format_length >= 0 ? static_cast<std::size_t>(format_length) : std::strlen(format);
    const std::string_view text(format, length);
    const bool same_text = format_length == statement.format_length && text == statement.format_text;
    if (same_text && !statement.format.bytes.empty()) return;
    statement.format.bytes.clear();
    statement.format_text.clear();
    compile_format(format, format_length, statement.format);
    statement.format_text.assign(text);
    statement.format_length = format_length;
}

}  // namespace

int begin_write(int unit, const char* format, int format_length, const char* advance, int advance_length,
                int flags) {
    const bool return_errors = (flags & return_errors_flag) != 0;
    ++g_statements.depth;
    QueuedStatement* statement = current();
    if (!statement) return settle_error(nesting_error, return_errors, unit);

    statement->default_unit = unit == default_output_unit;
    statement->unit = statement->default_unit ? default_output_unit : unit;
    statement->return_errors = return_errors;
    statement->has_format = format != nullptr;
    statement->non_advancing = false;
    statement->begin_error = 0;
    statement->items.clear();
    statement->texts.clear();

    if (!statement->default_unit && (unit < -32767 || unit > 32767)) statement->begin_error = bad_unit_error;
    if (!statement->begin_error && advance) {
        if (matches_keyword(advance, advance_length, "NO"))
            statement->non_advancing = true;
        else if (!matches_keyword(advance, advance_length, "YES"))
            statement->begin_error = bad_advance_error;
    }
    if (!statement->begin_error && format) {
        try {
            compile_for(*statement, format, format_length);
        } catch (const IoFailure& failure) {
            statement->begin_error = failure.message_number;
        }
    }
    if (statement->begin_error) return settle_error(statement->begin_error, return_errors, unit);
    return 0;
}

int write_integer_item(std::int32_t value) {
    QueuedStatement* statement = current();
    if (!statement || statement->begin_error) return 0;
    QueuedItem item{ItemType::integer4};
    item.integer = value;
    statement->items.push_back(item);
    return 0;
}

int write_real8_item(double value) {
    QueuedStatement* statement = current();
    if (!statement || statement->begin_error) return 0;
    QueuedItem item{ItemType::real8};
    item.real = value;
    statement->items.push_back(item);
    return 0;
}

int write_character_item(const char* text, int length) {
    QueuedStatement* statement = current();
    if (!statement || statement->begin_error) return 0;
    if (length < 0) length = 0;
    QueuedItem item{ItemType::character};
    item.text_offset = static_cast<std::uint32_t>(statement->texts.size());
    item.text_length = static_cast<std::uint32_t>(length);
    statement->texts.append(text, static_cast<std::size_t>(length));
    statement->items.push_back(item);
    return 0;
}

int end_write() {
    QueuedStatement* statement = current();
    if (g_statements.depth == 0) return 0;
    struct Pop {
        ~Pop() { --g_statements.depth; }
    } pop;
    if (!statement) return nesting_error;
    if (statement->begin_error) return statement->begin_error;

    Unit* unit = lookup_unit(statement->unit, Direction::output);
    try {
        if (!unit) fail(bad_unit_error);
        if (is_unformatted(unit->kind)) fail(unformatted_error);
        if (statement->has_format)
            format_write(*unit, *statement);
        else
            list_write(*unit, *statement);
    } catch (const IoFailure& failure) {
        if (statement->return_errors) return failure.message_number;
        rt::raise_error(failure.message_number, rt::Kind::write, unit ? std::string_view(unit->name) : "CON");
    }
    return 0;
}

}  // namespace io
