#pragma once
// What a step of an output statement ends in: done, or failed with the
// number of its run-time error message (the report number is 6000 plus
// it). The statement layer alone turns a failure into the report.
namespace io {

struct [[nodiscard]] Status {
    int message_number = 0;  // 0: done

    constexpr bool failed() const { return message_number != 0; }
};

inline constexpr Status done{};
constexpr Status failed(int message_number) { return Status{message_number}; }

}  // namespace io
