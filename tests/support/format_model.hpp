#pragma once
// A plain model of the format-directed record writer, to judge it by: a
// statement goes through the compiled format item by item, as the rules of
// the statement say, and builds its records in a string that stands for a
// file. Its fields come from the editing's own interface, which the exact
// reference judges in turn.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "io/format/edit.hpp"
#include "io/format/format_compiler.hpp"
#include "io/format/format_entries.hpp"
#include "io/format/output_items.hpp"
#include "io/format/record.hpp"
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

    // Returns 0, or the message number the statement fails with; what it
    // produced before the failure stays in the file.
    int run(bool non_advancing) {
        if (format_.bytes.empty()) return not_parenthesised;
        at_ = format_.bytes.data();
        for (const io::QueuedItem& item : items_.list()) {
            int error = 0;
            if (repeats_ > 0) {
                --repeats_;
            } else {
                error = to_descriptor(&item);
            }
            if (error == 0) error = edit(item);
            if (error != 0) return keep_record(error);
        }
        if (int error = repeats_ > 0 ? 0 : to_descriptor(nullptr)) return keep_record(error);
        if (dollar_ || non_advancing) return keep_record(0);
        end_record();
        return 0;
    }

private:
    int keep_record(int error) {
        file_.bytes += record_;
        return error;
    }
    // Pending blanks, then the text, from the column on.
    void write(std::string_view text) {
        const std::string placed = std::string(pending_, ' ') + std::string(text);
        record_.resize(std::max(record_.size(), column_ + placed.size()));
        record_.replace(column_, placed.size(), placed);
        column_ += placed.size();
        pending_ = 0;
    }
    void end_record() {
        file_.bytes += record_ + "\r\n";
        file_.record_written = true;
        record_.clear();
        column_ = pending_ = 0;
    }
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
        if (item.type == io::ItemType::integer4 && c.kind == edit_i) {
            io::put_integer_field(field, item.integer, {.w = c.w, .d = c.d, .sign_plus = sign_plus_});
        } else if (item.type == io::ItemType::real8) {
            io::EditParams p{.w = c.w, .d = c.d, .e = c.e, .k = scale_, .sign_plus = sign_plus_};
            const bool en = c.kind == prefixed && c.sub_kind == sub_en;
            const bool es = c.kind == prefixed && c.sub_kind == sub_es;
            if (c.kind == edit_f || c.kind == edit_g) p.k = 0;
            if (en || es) p.k = 1;
            p.form = c.kind == edit_f ? io::RealForm::fixed
                     : c.kind == edit_g ? io::RealForm::list
                     : en               ? io::RealForm::engineering
                                        : io::RealForm::exponent;
            if (c.kind != edit_e && c.kind != edit_d && c.kind != edit_f && c.kind != edit_g && !en && !es) {
                return mismatch(item.type);
            }
            io::put_real_field(field, item.real, p);
        } else if (item.type == io::ItemType::character && c.kind == edit_a) {
            const std::string_view value(items_.text_of(item), item.text_length);
            const auto w = static_cast<std::size_t>(std::max(c.w, 0));
            const std::size_t lead = c.param_count == 0 || w < value.size() ? 0 : w - value.size();
            write(std::string(lead, ' ') + std::string(c.param_count == 0 ? value : value.substr(0, w)));
            return 0;
        } else {
            return mismatch(item.type);
        }
        write(field.text());
        return 0;
    }

    // Performs the entries up to the next data descriptor, which serves
    // `item`; without an item, up to where the statement stops.
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
            const std::size_t w = static_cast<std::size_t>(std::max(e.w, 0));
            switch (e.kind) {
                case text: write({reinterpret_cast<const char*>(e.text), static_cast<std::size_t>(e.repeat)}); break;
                case scale: scale_ = e.repeat; break;
                case record_end: for (int i = 0; i < std::max(e.repeat, 1); ++i) end_record(); break;
                case colon: if (!item) return 0; break;
                case sign_plus: sign_plus_ = true; break;
                case sign_default: sign_plus_ = false; break;
                case no_record_end: dollar_ = dollar_ || !item; break;
                case position_right: pending_ += w; break;
                case position_absolute:  // Tn: within the record it overwrites, beyond it blanks fill the gap
                    if (w == 0 || w - 1 < record_.size()) overwrite_from(w == 0 ? 0 : w - 1);
                    else pending_ = w - 1 - column_;
                    break;
                case position_left: {  // TLn: from the position reached, not before the first column
                    const std::size_t target = column_ + pending_ > w ? column_ + pending_ - w : 0;
                    if (target < column_) overwrite_from(target);
                    else pending_ = target - column_;
                    break;
                }
                case group_start:
                    if (groups_.size() == max_group_depth) return too_deeply_nested;
                    groups_.emplace_back(next, e.repeat);
                    break;
                case group_end:
                    if (--groups_.back().second >= 1) next = groups_.back().first;
                    else groups_.pop_back();
                    break;
                case format_end: {  // reversion, to a part of the format that can serve the item
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
