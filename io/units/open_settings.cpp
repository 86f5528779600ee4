#include "io/units/open_settings.hpp"

#include <array>
#include <string_view>

#include "io/units/keywords.hpp"
#include "runtime/messages.hpp"

namespace io {

namespace msg = rt::msg;

namespace {

constexpr std::array<std::string_view, 5> status_keywords{"OLD", "NEW", "SCRATCH", "REPLACE", "UNKNOWN"};
constexpr std::array<OpenStatus, 5> status_values{OpenStatus::old_file, OpenStatus::new_file, OpenStatus::scratch,
                                                  OpenStatus::replace, OpenStatus::unknown};
constexpr std::array<std::string_view, 3> access_keywords{"SEQUENTIAL", "DIRECT", "APPEND"};
constexpr std::array<std::string_view, 3> form_keywords{"FORMATTED", "UNFORMATTED", "BINARY"};
constexpr std::array<Form, 3> form_values{Form::formatted, Form::unformatted, Form::binary};
constexpr std::array<std::string_view, 2> blank_keywords{"NULL", "ZERO"};
constexpr std::array<std::string_view, 3> position_keywords{"ASIS", "REWIND", "APPEND"};
constexpr std::array<std::string_view, 3> action_keywords{"READWRITE", "READ", "WRITE"};
constexpr std::array<Action, 3> action_values{Action::read_write, Action::read, Action::write};
constexpr std::array<std::string_view, 3> delim_keywords{"NONE", "APOSTROPHE", "QUOTE"};
constexpr std::array<Delim, 3> delim_values{Delim::none, Delim::apostrophe, Delim::quote};
constexpr std::array<std::string_view, 2> pad_keywords{"YES", "NO"};
constexpr std::array<std::string_view, 2> carriage_keywords{"FIRSTCHAR", "LIST"};
constexpr std::array<std::string_view, 3> mode_keywords{"READ", "READWRITE", "WRITE"};
constexpr std::array<Action, 3> mode_values{Action::read, Action::read_write, Action::write};
constexpr std::array<std::string_view, 5> share_keywords{"DENYNONE", "COMPAT", "DENYRD", "DENYWR", "DENYRW"};
constexpr std::array<Share, 5> share_values{Share::deny_none, Share::compat, Share::deny_read, Share::deny_write,
                                            Share::deny_read_write};

constexpr int largest_block = 2147483136;
constexpr int block_unit = 512;
constexpr int formatted_sequential_recl = 1024;
constexpr int other_sequential_recl = 65536;

// The keyword's index, or -1 for a bad value; `absent` when not given.
int keyword_index(const SpecifierText& text, std::span<const std::string_view> keywords, int absent) {
    if (!text.present()) return absent;
    return match_keyword(text.text, text.length, keywords);
}

int resolve(const OpenSpecifiers& s, OpenSettings& out) {
    int status = keyword_index(s.status, status_keywords, s.file.present() ? 4 : 2);
    if (status < 0) return msg::bad_status;
    out.status = status_values[status];
    if (out.status == OpenStatus::scratch && s.file.present()) return msg::scratch_with_file;

    int access = keyword_index(s.access, access_keywords, 0);
    if (access < 0) return msg::bad_access;
    out.access = access == 1 ? Access::direct : Access::sequential;
    if (access == 2) out.at_end = true;

    int form = keyword_index(s.form, form_keywords, -2);
    if (form == -1) return msg::bad_form;

    if (s.recl && *s.recl <= 0) return msg::bad_recl;

    int blank = keyword_index(s.blank, blank_keywords, 0);
    if (blank < 0) return msg::bad_blank;
    out.blank_zero = blank == 1;

    int position = keyword_index(s.position, position_keywords, 0);
    if (position < 0) return msg::bad_position;
    if (position == 2) {
        out.at_end = true;
        out.access = Access::sequential;
    }

    // The form's default follows the access that stands after POSITION.
    out.form = form >= 0 ? form_values[form]
                         : (out.access == Access::sequential ? Form::formatted : Form::unformatted);
    if (out.access == Access::direct && !s.recl) return msg::recl_required;
    if (s.recl)
        out.recl = *s.recl;
    else
        out.recl = out.form == Form::formatted ? formatted_sequential_recl : other_sequential_recl;
    out.kind = unit_kind(out.access, out.form);

    int action = keyword_index(s.action, action_keywords, -2);
    if (action == -1) return msg::bad_action;
    if (action >= 0) out.action = action_values[action];

    int delim = keyword_index(s.delim, delim_keywords, 0);
    if (delim < 0) return msg::bad_delim;
    if (s.delim.present() && out.form != Form::formatted) return msg::delim_unformatted;
    out.delim = delim_values[delim];

    int pad = keyword_index(s.pad, pad_keywords, 0);
    if (pad < 0) return msg::bad_pad;
    if (s.pad.present() && out.form != Form::formatted) return msg::pad_unformatted;
    out.pad = pad == 0;

    out.buffer_size = buffer_size_for(s.blocksize);

    int carriage = keyword_index(s.carriage_control, carriage_keywords, -2);
    if (carriage == -1) return msg::bad_carriage_control;
    if (carriage >= 0) out.carriage_control = carriage == 0;

    if (s.focus) return msg::focus_not_allowed;

    int mode = keyword_index(s.mode, mode_keywords, -2);
    if (mode == -1) return msg::bad_mode;
    if (mode >= 0 && !out.action) out.action = mode_values[mode];

    int share = keyword_index(s.share, share_keywords, 0);
    if (share < 0) return msg::bad_share;
    out.share = share_values[share];

    if (s.title.present()) return msg::title_not_allowed;
    return 0;
}

}  // namespace

UnitKind unit_kind(Access access, Form form) {
    if (access == Access::sequential) {
        switch (form) {
            case Form::formatted: return UnitKind::formatted_sequential;
            case Form::unformatted: return UnitKind::unformatted_sequential;
            case Form::binary: return UnitKind::binary_sequential;
        }
    }
    switch (form) {
        case Form::formatted: return UnitKind::formatted_direct;
        case Form::unformatted: return UnitKind::unformatted_direct;
        case Form::binary: return UnitKind::binary_direct;
    }
    return UnitKind::formatted_sequential;
}

int buffer_size_for(std::optional<int> blocksize) {
    if (!blocksize || *blocksize <= 0) return file_buffer_size;
    if (*blocksize > largest_block) return largest_block;
    return (*blocksize + block_unit - 1) / block_unit * block_unit;
}

ResolvedOpen resolve_open_specifiers(const OpenSpecifiers& specifiers) {
    ResolvedOpen resolved;
    resolved.error = resolve(specifiers, resolved.settings);
    return resolved;
}

}  // namespace io
