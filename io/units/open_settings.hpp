#pragma once
// The connection settings an open statement asks for, resolved from its
// specifiers with their defaults.
#include <optional>

#include "io/units/unit.hpp"
#include "io/units/open.hpp"

namespace io {

enum class OpenStatus { old_file, new_file, scratch, replace, unknown };
enum class Access { sequential, direct };
enum class Form { formatted, unformatted, binary };

struct OpenSettings {
    OpenStatus status = OpenStatus::unknown;
    Access access = Access::sequential;
    Form form = Form::formatted;
    UnitKind kind = UnitKind::formatted_sequential;
    int recl = 1024;
    bool blank_zero = false;
    bool at_end = false;                  // positioned at the end of the file
    std::optional<Action> action;         // from ACTION, else MODE; none: read-write with fallback
    Delim delim = Delim::none;
    bool pad = true;
    int buffer_size = file_buffer_size;   // for sequential files
    std::optional<bool> carriage_control; // none: the default of the connection
    Share share = Share::deny_none;
};

struct ResolvedOpen {
    OpenSettings settings;
    int error = 0;  // message number of the first bad specifier
};

// Checks every specifier in the order of the statement and fills in the
// defaults. FILE only matters by being present.
ResolvedOpen resolve_open_specifiers(const OpenSpecifiers& specifiers);

UnitKind unit_kind(Access access, Form form);

// BLOCKSIZE: rounded up to a multiple of 512, at most 2147483136; absent or
// not positive, the 1024-byte buffer.
int buffer_size_for(std::optional<int> blocksize);

}  // namespace io
