#pragma once
// The inputs of the format fuzz target, decoded the same way by the target
// and by the tests that replay its corpus.
//
// An input is a line of items separated by blanks:
//   i<integer>   r<decimal text>   b<16 hex digits, the bits of a real>
//   c<text>      (a character item: the text up to the next blank)
// then LF, then the format text (everything after the first LF).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/format/output_items.hpp"

namespace format_input {

constexpr std::size_t max_items = 48;

struct Item {
    char type = 0;  // 'i', 'r', 'c'
    std::int32_t integer = 0;
    double real = 0.0;
    std::string text;
};

struct Statement {
    std::vector<Item> items;
    std::string format;
};

inline std::vector<Item> parse_items(std::string_view line) {
    std::vector<Item> items;
    std::size_t at = 0;
    while (at < line.size() && items.size() < max_items) {
        const std::size_t end = std::min(line.find(' ', at), line.size());
        const std::string token(line.substr(at, end - at));
        at = end + 1;
        if (token.empty()) continue;
        Item item;
        item.type = token[0];
        const std::string rest = token.substr(1);
        switch (token[0]) {
            case 'i':
                item.integer =
                    static_cast<std::int32_t>(static_cast<std::uint32_t>(std::strtoll(rest.c_str(), nullptr, 10)));
                break;
            case 'r':
                item.real = std::strtod(rest.c_str(), nullptr);
                break;
            case 'b': {
                const std::uint64_t bits = std::strtoull(rest.c_str(), nullptr, 16);
                std::memcpy(&item.real, &bits, sizeof bits);
                item.type = 'r';
                break;
            }
            case 'c':
                item.text = rest;
                break;
            default:
                continue;
        }
        items.push_back(item);
    }
    return items;
}

// A bound on the characters a statement can produce: the numbers of the
// text (widths, counts, positions) are each at most this large, and the
// work grows with the product of every group repeat count. Blanks and tabs
// inside a number are skipped, as the compiler does; a number whose first
// 16 digits exceed 32 bits can only be a compile error and costs nothing.
// Texts over the bound are left out: what they would do is only a matter of
// time and memory.
constexpr double largest_number = 100000;
constexpr double largest_work = 4e6;
constexpr double largest_integer = 2147483647;

inline bool is_digit(char c) { return c >= '0' && c <= '9'; }

inline bool bounded_work(std::string_view format, std::size_t item_count) {
    double sum = static_cast<double>(format.size());
    double product = 1;
    std::size_t i = 0;
    while (i < format.size()) {
        if (!is_digit(format[i])) {
            ++i;
            continue;
        }
        double value = 0;          // all the digits, saturated
        double first_sixteen = 0;  // the digits the compiler reads
        int count = 0;
        while (i < format.size() && (is_digit(format[i]) || format[i] == ' ' || format[i] == '\t')) {
            if (is_digit(format[i])) {
                value = std::min(value * 10 + (format[i] - '0'), 1e300);
                if (++count <= 16) first_sixteen = first_sixteen * 10 + (format[i] - '0');
            }
            ++i;
        }
        if (first_sixteen > largest_integer) continue;
        if (value > largest_number) return false;
        sum += value + 1;
        if (i < format.size() && format[i] == '(') product *= std::max(value, 1.0);
        if (product > largest_work) return false;
    }
    return product * sum * static_cast<double>(item_count + 1) <= largest_work;
}

// The statement of an input; nothing for an input without a line end or
// with a format beyond the bound.
inline std::optional<Statement> decode(std::string_view input) {
    const std::size_t line_end = input.find('\n');
    if (line_end == std::string_view::npos) return std::nullopt;
    Statement statement{parse_items(input.substr(0, line_end)), std::string(input.substr(line_end + 1))};
    if (!bounded_work(statement.format, statement.items.size())) return std::nullopt;
    return statement;
}

inline void queue(const std::vector<Item>& items, io::QueuedItems& queued) {
    queued.clear();
    for (const Item& item : items) {
        switch (item.type) {
            case 'i': queued.add_integer(item.integer); break;
            case 'r': queued.add_real8(item.real); break;
            default: queued.add_character(item.text); break;
        }
    }
}

}  // namespace format_input
