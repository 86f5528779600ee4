// The record writer's walk: the compiled format with the queued items, its
// positions and record ends, kept as the statement's plan.
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

// The state of one statement's walk, reset at its start, and the plan it
// makes.
class Walk {
public:
    Walk(const std::uint8_t* start, FormatPlan& plan) : position_(start), plan_(plan) {}

    Status item(const QueuedItem& item) {
        if (repeats_left_ > 0) {
            --repeats_left_;
        } else if (Status status = to_data(&item); status.failed()) {
            return status;
        }
        if (!descriptor_serves(current_, item.type)) return failed(mismatch_error(item.type));
        switch (item.type) {
            case ItemType::integer4:
                number(PlanStepKind::integer_field, {.w = current_.w, .d = current_.d, .sign_plus = sign_plus_});
                break;
            case ItemType::real8: {
                const EditParams params = real_params(current_, scale_, sign_plus_);
                number(is_report_exponent(params) ? PlanStepKind::report_real_field : PlanStepKind::real_field,
                       params);
                break;
            }
            case ItemType::character:
                characters(item.text_length);
                break;
        }
        return done;
    }

    // After the last item: on to the next stop, then the record end unless
    // the statement leaves its record open.
    Status finish(bool non_advancing) {
        if (repeats_left_ == 0) {
            if (Status status = to_data(nullptr); status.failed()) return status;
        }
        pending_blanks_ = 0;
        if (suppress_record_end_ || non_advancing) {
            if (extent_ > 0) step(PlanStepKind::leave_open);
            return done;
        }
        end_record();
        return done;
    }

private:
    PlanStep& step(PlanStepKind kind) {
        plan_.steps.push_back(PlanStep{.kind = kind});
        return plan_.steps.back();
    }
    // Bytes one after another make one step.
    PlanStep& bytes_step() {
        if (plan_.steps.empty() || plan_.steps.back().kind != PlanStepKind::bytes) {
            step(PlanStepKind::bytes).offset = plan_.bytes.size();
        }
        return plan_.steps.back();
    }
    void advance(std::size_t count) {
        column_ += count;
        extent_ = std::max(extent_, column_);
    }

    // Pending blanks first, then whatever the record gets next.
    void place_blanks() {
        if (pending_blanks_ == 0) return;
        const std::size_t count = pending_blanks_;
        pending_blanks_ = 0;
        bytes_step().length += count;
        plan_.bytes.append(count, ' ');
        advance(count);
    }
    void bytes(const char* text, std::size_t count) {
        place_blanks();
        if (count == 0) return;
        bytes_step().length += count;
        plan_.bytes.append(text, count);
        advance(count);
    }
    void number(PlanStepKind kind, const EditParams& params) {
        place_blanks();
        step(kind).params = params;
        advance(static_cast<std::size_t>(std::max(params.w, 0)));
    }
    // Aw: the text right-aligned in w columns, or its first w characters;
    // A alone: the whole text, whose length then places what follows.
    void characters(std::size_t length) {
        place_blanks();
        if (current_.param_count > 0) {
            const auto w = static_cast<std::size_t>(std::max(current_.w, 0));
            step(PlanStepKind::character_field).length = w;
            advance(w);
            return;
        }
        step(PlanStepKind::whole_text);
        plan_.for_any_values = false;
        advance(length);
    }

    // Record ends one after another make one step.
    void end_record() {
        pending_blanks_ = 0;
        column_ = 0;
        extent_ = 0;
        if (plan_.steps.empty() || plan_.steps.back().kind != PlanStepKind::record_end) step(PlanStepKind::record_end);
        ++plan_.steps.back().length;
    }

    // Later characters overwrite the record from `target`.
    void move_back(std::size_t target) {
        column_ = target;
        pending_blanks_ = 0;
        step(PlanStepKind::move_back).offset = target;
    }

    // Tn: at or beyond the furthest extent the gap becomes pending blanks;
    // before it, later characters overwrite from column n.
    void tab_to(std::int64_t n) {
        const std::size_t target = n > 0 ? static_cast<std::size_t>(n - 1) : 0;
        if (target < extent_) return move_back(target);
        pending_blanks_ = target - column_;
    }

    // TLn: n columns left of the position reached so far, not before column 1.
    void tab_left(std::int64_t n) {
        const std::size_t reached = column_ + pending_blanks_;
        const std::size_t left = n > 0 ? static_cast<std::size_t>(n) : 0;
        const std::size_t target = reached > left ? reached - left : 0;
        if (target < column_) return move_back(target);
        pending_blanks_ = target - column_;
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
    Status to_data(const QueuedItem* item) {
        Entry entry;
        for (;;) {
            const std::uint8_t* next = read_entry(position_, entry);
            switch (entry.kind) {
                case text:
                    bytes(reinterpret_cast<const char*>(entry.text), static_cast<std::size_t>(entry.repeat));
                    break;
                case scale:
                    scale_ = entry.repeat;
                    break;
                case record_end:
                    for (std::int32_t i = 0; i < std::max(entry.repeat, 1); ++i) end_record();
                    break;
                case colon:
                    if (item == nullptr) return done;
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
                    tab_to(entry.w);
                    break;
                case position_left:
                    tab_left(entry.w);
                    break;
                case position_right:
                    pending_blanks_ += static_cast<std::size_t>(std::max(entry.w, 0));
                    break;
                case group_start:
                    if (depth_ == max_group_depth) return failed(too_deeply_nested);
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
                    if (item == nullptr) return done;
                    // Reverting to a part of the format that holds no data
                    // descriptor could never serve the item.
                    if (entry.value16 == 0 || !reversion_has_data(position_, entry.value16)) {
                        return failed(mismatch_error(item->type));
                    }
                    end_record();
                    depth_ = 0;
                    next = position_ - entry.value16;
                    break;
                case error:
                    return failed(raised_error(entry.value16));
                default:  // a data descriptor
                    if (item == nullptr) return done;
                    current_ = entry;
                    repeats_left_ = entry.repeat > 1 ? entry.repeat - 1 : 0;
                    position_ = next;
                    return done;
            }
            position_ = next;
        }
    }

    const std::uint8_t* position_;
    FormatPlan& plan_;
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

FormatPlan walk_format(const CompiledFormat& format, const QueuedItems& items, bool non_advancing) {
    FormatPlan plan;
    if (format.bytes.empty()) {
        plan.end = failed(not_parenthesised);
        return plan;
    }
    Walk walk(format.bytes.data(), plan);
    for (const QueuedItem& item : items.list()) {
        plan.end = walk.item(item);
        if (plan.end.failed()) return plan;
    }
    plan.end = walk.finish(non_advancing);
    return plan;
}

}  // namespace io
