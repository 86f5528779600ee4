#pragma once
// The record writer's walk: the compiled format together with the items of
// one statement. The walk decides every byte and field of the records and
// tells a sink what they get; the sink writes them (format_writer.hpp) or
// keeps them as a plan (format_plan.hpp).
#include <cstddef>

#include "io/format/edit.hpp"
#include "io/format/format_compiler.hpp"
#include "io/format/output_items.hpp"

namespace io {

// What the records of a statement get, in order. Characters go at the
// current column, which is the end of the record unless `move_back` moved
// it. A call returns false when the sink cannot take what it is told (a
// plan cannot stand for it); the walk then stops there.
class RecordSink {
public:
    virtual bool bytes(const char* bytes, std::size_t count) = 0;
    virtual bool repeated(char c, std::size_t count) = 0;
    // The w columns (w = `params.w`) of an I or a real field for `item`.
    virtual bool number(const EditParams& params, const QueuedItem& item) = 0;
    // A character item under A: `lead` blanks, then `count` bytes of its text.
    virtual bool characters(std::size_t lead, const char* text, std::size_t count) = 0;
    // The next characters overwrite the record from `column` (0 = first).
    virtual bool move_back(std::size_t column) = 0;
    virtual bool record_end() = 0;
    // The statement leaves its record open ($, \, non-advancing output).
    virtual bool leave_open() = 0;

protected:
    ~RecordSink() = default;
};

// How a walk ended: the statement's records are complete; or an error of
// the format or of an item (its message number), with the characters up to
// it told to the sink; or the sink declined what it was told.
enum class WalkEnd { done, failed, declined };

struct WalkResult {
    WalkEnd end = WalkEnd::done;
    int error = 0;  // the message number when failed
};

WalkResult walk_format(const CompiledFormat& format, const QueuedItems& items, bool non_advancing, RecordSink& sink);

}  // namespace io
