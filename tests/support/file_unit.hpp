#pragma once
// A formatted sequential unit on a new temporary file, with the buffer of a
// report unit, for the tests of the record writer.
#include <memory>
#include <string>

#include "io/units/record_output.hpp"
#include "io/units/unit.hpp"
#include "support/files.hpp"

namespace test_files {

class FileUnit {
public:
    FileUnit() {
        unit.number = 5;
        unit.connection.name = file_.path();
        unit.connection.kind = io::UnitKind::formatted_sequential;
        unit.connection.in_handle = file_.handle();
        unit.connection.out_handle = file_.handle();
        unit.buffer.bytes = std::make_unique<char[]>(io::file_buffer_size);
        unit.buffer.size = io::file_buffer_size;
        unit.positioned_for_writing = true;
    }

    // Everything written so far, after passing the buffer to the file.
    std::string contents() {
        if (io::flush_buffer(unit).failed()) return "(the buffer could not be passed to the file)";
        return read_file(file_.path());
    }
    // Bytes at the start of the file, as if it held an older report.
    bool preload(const std::string& bytes) { return write_at_start(file_.path(), bytes); }

private:
    ScratchFile file_;  // outlives the unit that writes to it

public:
    io::Unit unit;
};

}  // namespace test_files
