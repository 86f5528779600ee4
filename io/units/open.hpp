#pragma once
// Open: connecting a unit to a named file.
#include <optional>

#include "io/units/unit.hpp"

namespace io {

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

}  // namespace io
