// List-directed output: the records of a statement without a format.
#include <cstring>
#include <string_view>

#include "io/format/edit.hpp"
#include "io/listio/list_output.hpp"
#include "io/units/record_output.hpp"
#include "platform/console.hpp"
#include "runtime/messages.hpp"

namespace io {

namespace {

constexpr int record_room = 79;
constexpr int widest_field = 78;
constexpr int integer_field_width = 11;
constexpr int real8_field_width = 24;

// An 8-byte real: 15 digits after the point, 3 exponent digits.
constexpr EditParams real8_list_params{.w = real8_field_width, .d = 15, .e = 3, .form = RealForm::list};

// The records of one list-directed statement. The first byte of a record
// is its leading blank, which the console takes as carriage control; the
// last two are room for the line end of a file.
struct ListRecord {
    Unit& unit;
    char bytes[1 + record_room + 2];
    int length = 0;
    int pending_blanks = 1;
    int room = record_room;
    bool after_character = false;  // the next value gets no separating blank
    bool any_value = false;

    void put_blanks(int count) {
        std::memset(bytes + length, ' ', static_cast<std::size_t>(count));
        length += count;
    }
    void put_text(const char* text, int count) {
        std::memcpy(bytes + length, text, static_cast<std::size_t>(count));
        length += count;
    }
    void emit_pending() {
        put_blanks(pending_blanks);
        pending_blanks = 0;
    }
    Status end() {
        const Status status = put_record(unit, bytes, static_cast<std::size_t>(length));
        length = 0;
        pending_blanks = 1;
        room = record_room;
        return status;
    }
};

Status put_character(ListRecord& record, const char* text, int count) {
    if (record.pending_blanks != 1) record.pending_blanks = 0;
    for (;;) {
        if (count < record.room) {
            record.emit_pending();
            record.put_text(text, count);
            record.room -= count;
            break;
        }
        record.emit_pending();
        record.put_text(text, record.room);
        text += record.room;
        count -= record.room;
        if (Status status = record.end(); status.failed()) return status;
    }
    record.after_character = true;
    record.any_value = true;
    return done;
}

Status put_value(ListRecord& record, const FieldText& text, int field_width) {
    const int field_blanks = field_width > text.length ? field_width - text.length : 0;
    const bool separated = record.any_value && !record.after_character;
    const int widened = (separated ? 1 : 0) + field_blanks + text.length;
    if (widened >= record.room) {
        if (widened > widest_field) return failed(rt::msg::field_too_wide);
        if (Status status = record.end(); status.failed()) return status;
        record.pending_blanks += field_blanks;
    } else {
        record.pending_blanks += (separated ? 1 : 0) + field_blanks;
    }
    record.emit_pending();
    record.put_text(text.text, text.length);
    record.room -= widened;
    record.after_character = false;
    record.any_value = true;
    return done;
}

}  // namespace

Status list_write(Unit& unit, const QueuedItems& statement) {
    if (Status status = prepare_for_writing(unit); status.failed()) return status;
    ListRecord record{unit, {}};
    FieldText text;
    for (const QueuedItem& item : statement.list()) {
        Status status = done;
        switch (item.type) {
            case ItemType::character:
                status = put_character(record, statement.text_of(item), static_cast<int>(item.text_length));
                break;
            case ItemType::integer4:
                edit_integer(item.integer, {.d = 1}, text);
                status = put_value(record, text, integer_field_width);
                break;
            case ItemType::real8:
                edit_real(item.real, real8_list_params, text);
                status = put_value(record, text, real8_field_width);
                break;
        }
        if (status.failed()) return status;
    }
    return record.end();
}

}  // namespace io
