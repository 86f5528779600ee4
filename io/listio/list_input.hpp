#pragma once
// The list-directed reader: the values of an input statement's items, read
// from the console by the rules of the scanner. Every failure throws
// IoFailure; what becomes of it is the statement's affair.
#include <cstdint>
#include <string>

#include "io/listio/scanner.hpp"
#include "io/units/unit.hpp"

namespace io {

// The console unit that an input statement names (the default input unit,
// or a unit number that leads to the console); only the console is read.
Unit& list_input_unit(int number);

// The reader of one statement.
struct ListRead {
    Unit* unit = nullptr;
    Scanner scanner;
};

// The start of the statement, before its first item is read.
void start_list_read(ListRead& read, Unit& unit);

// One item each. A null value, or an item after a slash, leaves the
// variable as it is.
void read_integer(ListRead& read, std::int32_t& value);
void read_real8(ListRead& read, double& value);
void read_character(ListRead& read, char* text, int length);

// The end of the statement: the rest of the current line is dropped.
void end_list_read(ListRead& read);

// What a report adds to the message of an error that a value caused: the
// value as it was typed, cut to a readable length, with every byte that is
// not printable ASCII shown as \xNN. Empty for the other errors.
std::string typed_value_detail(const ListRead& read, int message_number);

}  // namespace io
