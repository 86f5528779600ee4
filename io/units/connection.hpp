#pragma once
// Open and close: connecting a unit to a named file and disconnecting it.
#include <optional>

#include "io/units/unit.hpp"

namespace io {

constexpr int return_errors_flag = 1;  // the statement returns its error number

// A text specifier of an open or close statement: its bytes and length, or
// no text at all when the specifier is absent.
struct SpecifierText {
    const char* text = nullptr;
    int length = 0;

    bool present() const { return text != nullptr; }
};

// The specifiers of an open statement; an absent one is left empty.
struct OpenSpecifiers {
    SpecifierText file;
    SpecifierText status;    // OLD, NEW, SCRATCH, REPLACE, UNKNOWN
    SpecifierText access;    // SEQUENTIAL, DIRECT, APPEND
    SpecifierText form;      // FORMATTED, UNFORMATTED, BINARY
    std::optional<int> recl;
    SpecifierText blank;     // NULL, ZERO
    SpecifierText position;  // ASIS, REWIND, APPEND
    SpecifierText action;    // READWRITE, READ, WRITE
    SpecifierText delim;     // NONE, APOSTROPHE, QUOTE
    SpecifierText pad;       // YES, NO
    std::optional<int> blocksize;
    SpecifierText carriage_control;  // FIRSTCHAR, LIST
    std::optional<bool> focus;       // windowed consoles only
    SpecifierText mode;              // READ, READWRITE, WRITE
    SpecifierText share;             // DENYNONE, COMPAT, DENYRD, DENYWR, DENYRW
    SpecifierText title;             // windowed consoles only
};

// Open: connects `number` to a file. Returns 0, or the error's message
// number when `flags` asks for returned errors; otherwise an error ends the
// program with its report. A unit number outside -32767..32767 returns 314
// without a report.
int open_unit(int number, const OpenSpecifiers& specifiers, int flags);

// Close with STATUS text ("KEEP", "DELETE"; null for the default). Returns 0
// or, when `flags` asks for returned errors, the error's message number.
// A STATUS text that is neither returns 304 without a report.
int close_unit(int number, const char* status, int status_length, int flags);

// The first write statement on a formatted sequential file cuts the file at
// the write position, so nothing older remains behind the new records.
// Throws IoFailure when the file cannot be written.
void prepare_for_writing(Unit& unit);

}  // namespace io
