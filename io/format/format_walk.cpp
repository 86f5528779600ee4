// The record writer's walk: the compiled format with the queued items, its
// positions and record ends, told to a sink.
#include "io/format/format_walk.hpp"

#include <algorithm>
#include <cstdint>

#include "io/format/format_entries.hpp"
#include "runtime/messages.hpp"

namespace io {

namespace {

using namespace format_entries;

int mismatch_error(ItemType type) {
    switch (type) {
        case ItemType::integer4:
            return rt::msg::integer_needs_i;
        case ItemType::real8:
            return rt::msg::real_needs_real_descriptor;
        case ItemType::character:
            return rt::msg::character_needs_a;
    }
    return rt::msg::integer_needs_i;
}

bool descriptor_serves(const Entry& descriptor, ItemType type) {
    switch (type) {
        case ItemType::integer4:
            return descriptor.kind == edit_i;
        case ItemType::real8:
            return (descriptor.kind >= edit_d && descriptor.kind <= edit_g) ||
                   (descriptor.kind == prefixed &&
                    (descriptor.sub_kind == sub_en || descriptor.sub_kind == sub_es));
        case ItemType::character:
            return descriptor.kind == edit_a;
    }
    return false;
}

// The edit of a real item under the current descriptor: E and D under the
// scale factor, ES and EN with their own, F and G without one.
EditParams real_params(const Entry& c, int scale, bool sign_plus) {
    EditParams params{.w = c.w, .d = c.d, .e = c.e, .k = scale, .sign_plus = sign_plus};
    switch (c.kind) {
        case edit_f:
            params.k = 0;
            params.form = RealForm::fixed;
            break;
        case edit_g:
            params.k = 0;
            params.form = RealForm::list;
            break;
        case prefixed:
            params.k = 1;
            if (c.sub_kind == sub_en) params.form = RealForm::engineering;
            break;
        default:  // E, and D written the same way
            break;
    }
    return params;
}

struct GroupFrame {
    const std::uint8_t* restart;
    std::int32_t remaining;
};

// What a step of the walk leads to: on, or the end of the walk.
struct Step {
    bool on = true;
    WalkResult result{};
};
constexpr Step go_on{};
constexpr Step declined{false, {WalkEnd::declined, 0}};
constexpr Step failure(int error) { return {false, {WalkEnd::failed, error}}; }

// The state of one statement, reset at its start.
class Walk {
public:
    Walk(const std::uint8_t* start, RecordSink& sink) : position_(start), sink_(sink) {}

    Step item(const QueuedItems& statement, const QueuedItem& item) {
        if (repeats_left_ > 0) {
            --repeats_left_;
        } else if (Step step = to_data(&item); !step.on) {
            return step;
        }
        if (!descriptor_serves(current_, item.type)) return failure(mismatch_error(item.type));
        switch (item.type) {
            case ItemType::integer4:
                return number({.w = current_.w, .d = current_.d, .sign_plus = sign_plus_}, item);
            case ItemType::real8:
                return number(real_params(current_, scale_, sign_plus_), item);
            case ItemType::character:
                return characters(statement.text_of(item), item.text_length);
        }
        return go_on;
    }

    // After the last item: on to the next stop, then the record end unless
    // the statement leaves its record open.
    Step finish(bool non_advancing) {
        if (repeats_left_ == 0) {
            if (Step step = to_data(nullptr); !step.on) return step;
        }
        pending_blanks_ = 0;
        if (suppress_record_end_ || non_advancing) return extent_ > 0 ? told(sink_.leave_open()) : go_on;
        return end_record();
    }

private:
    static Step told(bool taken) { return taken ? go_on : declined; }

    // Pending blanks first, then whatever the record gets next.
    Step place_blanks() {
        if (pending_blanks_ == 0) return go_on;
        const std::size_t count = pending_blanks_;
        pending_blanks_ = 0;
        return advance(sink_.repeated(' ', count), count);
    }
    Step advance(bool taken, std::size_t count) {
        if (!taken) return declined;
        column_ += count;
        extent_ = std::max(extent_, column_);
        return go_on;
    }
    Step bytes(const char* text, std::size_t count) {
        if (Step step = place_blanks(); !step.on) return step;
        return advance(sink_.bytes(text, count), count);
    }
    Step number(const EditParams& params, const QueuedItem& item) {
        if (Step step = place_blanks(); !step.on) return step;
        return advance(sink_.number(params, item), static_cast<std::size_t>(std::max(params.w, 0)));
    }
    // Aw: the text right-aligned in w columns, or its first w characters;
    // A alone: the whole text.
    Step characters(const char* text, std::size_t length) {
        if (Step step = place_blanks(); !step.on) return step;
        std::size_t lead = 0;
        std::size_t shown = length;
        if (current_.param_count > 0) {
            const std::size_t w = static_cast<std::size_t>(std::max(current_.w, 0));
            lead = w > length ? w - length : 0;
            shown = std::min(w, length);
        }
        return advance(sink_.characters(lead, text, shown), lead + shown);
    }

    Step end_record() {
        pending_blanks_ = 0;
        column_ = 0;
        extent_ = 0;
        return told(sink_.record_end());
    }

    // Later characters overwrite the record from `target`.
    Step move_back(std::size_t target) {
        column_ = target;
        pending_blanks_ = 0;
        return told(sink_.move_back(target));
    }

    // Tn: at or beyond the furthest extent the gap becomes pending blanks;
    // before it, later characters overwrite from column n.
    Step tab_to(std::int64_t n) {
        const std::size_t target = n > 0 ? static_cast<std::size_t>(n - 1) : 0;
        if (target < extent_) return move_back(target);
        pending_blanks_ = target - column_;
        return go_on;
    }

    // TLn: n columns left of the position reached so far, not before column 1.
    Step tab_left(std::int64_t n) {
        const std::size_t reached = column_ + pending_blanks_;
        const std::size_t step = n > 0 ? static_cast<std::size_t>(n) : 0;
        const std::size_t target = reached > step ? reached - step : 0;
        if (target < column_) return move_back(target);
        pending_blanks_ = target - column_;
        return go_on;
    }

    bool reversion_has_data(const std::uint8_t* format_end_entry, std::uint16_t distance) {
        if (reversion_has_data_ < 0) {
            reversion_has_data_ = 0;
            Entry entry;
            const std::uint8_t* p = format_end_entry - distance;
            while (p < format_end_entry) {
                p = read_entry(p, entry);
                if (is_data_kind(entry.kind)) {
                    reversion_has_data_ = 1;
                    break;
                }
            }
        }
        return reversion_has_data_ == 1;
    }

    // Performs the non-data entries from the current position on. With an
    // item, stops at the data descriptor that serves it (reverting at the
    // format end); for the end of the statement (`item` null), stops before
    // a data descriptor, at a colon or at the format end.
    Step to_data(const QueuedItem* item) {
        Entry entry;
        for (;;) {
            const std::uint8_t* next = read_entry(position_, entry);
            Step step = go_on;
            switch (entry.kind) {
                case text:
                    step = bytes(reinterpret_cast<const char*>(entry.text), static_cast<std::size_t>(entry.repeat));
                    break;
                case scale:
                    scale_ = entry.repeat;
                    break;
                case record_end:
                    for (std::int32_t i = 0; i < std::max(entry.repeat, 1) && step.on; ++i) step = end_record();
                    break;
                case colon:
                    if (item == nullptr) return go_on;
                    break;
                case sign_plus:
                    sign_plus_ = true;
                    break;
                case sign_default:
                    sign_plus_ = false;
                    break;
                case blank_null:
                case blank_zero:
                    break;
                case no_record_end:
                    if (item == nullptr) suppress_record_end_ = true;
                    break;
                case position_absolute:
                    step = tab_to(entry.w);
                    break;
                case position_left:
                    step = tab_left(entry.w);
                    break;
                case position_right:
                    pending_blanks_ += static_cast<std::size_t>(std::max(entry.w, 0));
                    break;
                case group_start:
                    if (depth_ == max_group_depth) return failure(too_deeply_nested);
                    groups_[depth_++] = GroupFrame{next, entry.repeat};
                    break;
                case group_end: {
                    GroupFrame& group = groups_[depth_ - 1];
                    if (--group.remaining >= 1) {
                        next = group.restart;
                    } else {
                        --depth_;
                    }
                    break;
                }
                case format_end:
                    if (item == nullptr) return go_on;
                    // Reverting to a part of the format that holds no data
                    // descriptor could never serve the item.
                    if (entry.value16 == 0 || !reversion_has_data(position_, entry.value16)) {
                        return failure(mismatch_error(item->type));
                    }
                    step = end_record();
                    depth_ = 0;
                    next = position_ - entry.value16;
                    break;
                case error:
                    return failure(raised_error(entry.value16));
                default:  // a data descriptor
                    if (item == nullptr) return go_on;
                    current_ = entry;
                    repeats_left_ = entry.repeat > 1 ? entry.repeat - 1 : 0;
                    position_ = next;
                    return go_on;
            }
            if (!step.on) return step;
            position_ = next;
        }
    }

    const std::uint8_t* position_;
    RecordSink& sink_;
    Entry current_;
    std::int32_t repeats_left_ = 0;
    int scale_ = 0;
    bool sign_plus_ = false;
    GroupFrame groups_[max_group_depth];
    int depth_ = 0;
    int reversion_has_data_ = -1;  // unknown until the first reversion

    std::size_t column_ = 0;  // where the next character goes (0 = first column)
    std::size_t extent_ = 0;  // the furthest column written in the record
    std::size_t pending_blanks_ = 0;
    bool suppress_record_end_ = false;
};

}  // namespace

WalkResult walk_format(const CompiledFormat& format, const QueuedItems& items, bool non_advancing, RecordSink& sink) {
    if (format.bytes.empty()) return {WalkEnd::failed, not_parenthesised};
    Walk walk(format.bytes.data(), sink);
    for (const QueuedItem& item : items.list()) {
        if (Step step = walk.item(items, item); !step.on) return step.result;
    }
    const Step step = walk.finish(non_advancing);
    return step.result;
}

}  // namespace io
