#pragma once
// A model of the format-directed record writer, kept plain on purpose to
// judge the writer by: each statement goes through the compiled format
// item by item, as the rules of the statement say, and builds its records
// in a string that stands for a file unit. The fields come from the
// editing's own interface (put_integer_field, put_real_field), which the
// exact reference judges in turn.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "io/format/edit.hpp"
#include "io/format/format_compiler.hpp"
#include "io/format/record.hpp"
#include "io/format/format_entries.hpp"
#include "io/format/output_items.hpp"
#include "runtime/messages.hpp"

namespace format_model {

using namespace io::format_entries;

// What the statements left in the file so far.
struct File {
    std::string bytes;
    bool record_written = false;
};

class Statement {
public:
    Statement(const io::CompiledFormat& format, const io::QueuedItems& items, File& file)
        : format_(format), items_(items), file_(file) {}

    // Writes the statement; returns 0, or the message number it fails with
    // (what it produced before the failure stays in the file).
    int run(bool non_advancing) {
        if (format_.bytes.empty()) return not_parenthesised;
        at_ = format_.bytes.data();
        for (const io::QueuedItem& item : items_.list()) {
            if (repeats_ > 0) {
                --repeats_;
            } else if (int error = to_descriptor(&item)) {
                return fail(error);
            }
            if (int error = edit(item)) return fail(error);
        }
        if (repeats_ == 0) {
            if (int error = to_descriptor(nullptr)) return fail(error);
        }
        if (dollar_ || non_advancing) return fail(0);
        end_record();
        return 0;
    }

private:
    int fail(int error) {
        file_.bytes += record_;
        return error;
    }
    void write(std::string_view text) {
        const std::string placed = std::string(pending_, ' ') + std::string(text);
        pending_ = 0;
        record_.resize(std::max(record_.size(), column_ + placed.size()));
        record_.replace(column_, placed.size(), placed);
        column_ += placed.size();
    }
    void end_record() {
        file_.bytes += record_ + "\r\n";
        file_.record_written = true;
        record_.clear();
        column_ = pending_ = 0;
    }
    // Later characters overwrite the record from `target`.
    void overwrite_from(std::size_t target) {
        column_ = target;
        pending_ = 0;
    }

    static int mismatch(io::ItemType type) {
        return type == io::ItemType::integer4 ? rt::msg::integer_needs_i
               : type == io::ItemType::real8  ? rt::msg::real_needs_real_descriptor
                                              : rt::msg::character_needs_a;
    }

    int edit(const io::QueuedItem& item) {
        const Entry& c = current_;
        io::Record field;
        if (item.type == io::ItemType::integer4) {
            if (c.kind != edit_i) return mismatch(item.type);
            io::put_integer_field(field, item.integer, {.w = c.w, .d = c.d, .sign_plus = sign_plus_});
        } else if (item.type == io::ItemType::real8) {
            io::EditParams p{.w = c.w, .d = c.d, .e = c.e, .k = scale_, .sign_plus = sign_plus_};
            if (c.kind == edit_f) {
                p.k = 0;
                p.form = io::RealForm::fixed;
            } else if (c.kind == edit_g) {
                p.k = 0;
                p.form = io::RealForm::list;
            } else if (c.kind == prefixed && (c.sub_kind == sub_en || c.sub_kind == sub_es)) {
                p.k = 1;
                if (c.sub_kind == sub_en) p.form = io::RealForm::engineering;
            } else if (c.kind != edit_e && c.kind != edit_d) {
                return mismatch(item.type);
            }
            io::put_real_field(field, item.real, p);
        } else {
            if (c.kind != edit_a) return mismatch(item.type);
            std::string_view value(items_.text_of(item), item.text_length);
            const auto w = static_cast<std::size_t>(std::max(c.w, 0));
            if (c.param_count == 0) {
                write(value);
            } else {
                write(std::string(w > value.size() ? w - value.size() : 0, ' ') + std::string(value.substr(0, w)));
            }
            return 0;
        }
        write(field.text());
        return 0;
    }

    // Performs the entries up to the next data descriptor, which serves
    // `item`; without an item, up to the point where the statement stops.
    int to_descriptor(const io::QueuedItem* item) {
        for (;;) {
            Entry e;
            const std::uint8_t* next = read_entry(at_, e);
            if (is_data_kind(e.kind)) {
                if (!item) return 0;
                current_ = e;
                repeats_ = std::max(e.repeat - 1, 0);
                at_ = next;
                return 0;
            }
            switch (e.kind) {
                case text: write(std::string_view(reinterpret_cast<const char*>(e.text), static_cast<std::size_t>(e.repeat))); break;
                case scale: scale_ = e.repeat; break;
                case record_end:
                    for (int i = 0; i < std::max(e.repeat, 1); ++i) end_record();
                    break;
                case colon: if (!item) return 0; break;
                case sign_plus: sign_plus_ = true; break;
                case sign_default: sign_plus_ = false; break;
                case no_record_end: if (!item) dollar_ = true; break;
                case position_absolute: {
                    const std::size_t target = static_cast<std::size_t>(std::max(e.w, 1) - 1);
                    if (target < record_.size()) overwrite_from(target);
                    else pending_ = target - column_;
                    break;
                }
                case position_left: {
                    const std::size_t reached = column_ + pending_;
                    const auto left = static_cast<std::size_t>(std::max(e.w, 0));
                    const std::size_t target = reached > left ? reached - left : 0;
                    if (target < column_) overwrite_from(target);
                    else pending_ = target - column_;
                    break;
                }
                case position_right: pending_ += static_cast<std::size_t>(std::max(e.w, 0)); break;
                case group_start:
                    if (groups_.size() == max_group_depth) return too_deeply_nested;
                    groups_.push_back({next, e.repeat});
                    break;
                case group_end:
                    if (--groups_.back().second >= 1) next = groups_.back().first;
                    else groups_.pop_back();
                    break;
                case format_end: {
                    if (!item) return 0;
                    const std::uint8_t* restart = at_ - e.value16;
                    bool data = false;
                    for (const std::uint8_t* p = restart; e.value16 != 0 && p < at_;) {
                        Entry later;
                        p = read_entry(p, later);
                        data = data || is_data_kind(later.kind);
                    }
                    if (!data) return mismatch(item->type);
                    end_record();
                    groups_.clear();
                    next = restart;
                    break;
                }
                case error: return raised_error(e.value16);
                default: break;
            }
            at_ = next;
        }
    }

    const io::CompiledFormat& format_;
    const io::QueuedItems& items_;
    File& file_;
    const std::uint8_t* at_ = nullptr;
    Entry current_;
    int repeats_ = 0;
    int scale_ = 0;
    bool sign_plus_ = false;
    bool dollar_ = false;
    std::vector<std::pair<const std::uint8_t*, int>> groups_;
    std::string record_;
    std::size_t column_ = 0;
    std::size_t pending_ = 0;
};

}  // namespace format_model
