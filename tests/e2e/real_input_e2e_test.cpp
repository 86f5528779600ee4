// The real-number statements of the dialogue (one real, two reals) through
// the real binary: the values read show in the bisection report's header.
#include <gtest/gtest.h>

#include <cstring>

#include "runtime/messages.hpp"
#include "runtime/termination.hpp"
#include "support/run_program.hpp"

namespace {

struct Header {
    std::string a, b, tol;
};

// The three E25.15 fields of the bisection header of the run in `directory`.
Header header_of(const std::string& directory) {
    std::string report = e2e::read_file(directory + "/r.bis.txt");
    auto field_after = [&](const std::string& label) {
        std::size_t at = report.find(label);
        return at == std::string::npos ? std::string("missing") : report.substr(at + label.size(), 25);
    };
    return {field_after("a = "), field_after("b = "), field_after("admitida: ")};
}

e2e::RunResult bisect(const std::string& interval, const std::string& tol) {
    return e2e::run_program({.input = "1\nr\n" + interval + tol + "3\n"});
}

std::string e25(const char* text) { return std::string(25 - std::strlen(text), ' ') + text; }

TEST(RealInput, TwoRealsOnOneLineOrSpanningLines) {
    auto one_line = bisect("12 16\n", "0.1\n");
    EXPECT_EQ(header_of(one_line.directory).a, e25("1.200000000000000E+01"));
    EXPECT_EQ(header_of(one_line.directory).b, e25("1.600000000000000E+01"));

    auto two_lines = bisect("1.5\n2.5\n", "0.1\n");
    EXPECT_EQ(header_of(two_lines.directory).a, e25("1.500000000000000E+00"));
    EXPECT_EQ(header_of(two_lines.directory).b, e25("2.500000000000000E+00"));
}

TEST(RealInput, RepeatCountGivesBothValues) {
    auto run = bisect("2*7.5\n", "0.1\n");
    EXPECT_EQ(header_of(run.directory).a, e25("7.500000000000000E+00"));
    EXPECT_EQ(header_of(run.directory).b, e25("7.500000000000000E+00"));
    EXPECT_EQ(run.status, 0);
}

TEST(RealInput, CommaSeparatesValues) {
    auto run = bisect("1,5 2,5\n", "0,001\n");
    Header h = header_of(run.directory);
    EXPECT_EQ(h.a, e25("1.000000000000000E+00"));
    EXPECT_EQ(h.b, e25("5.000000000000000E+00"));
    EXPECT_EQ(h.tol, e25("0.000000000000000E+00"));
}

TEST(RealInput, EveryExponentFormReadsTheSameTolerance) {
    for (const char* tol : {"1d-6\n", "1E-6\n", "1-6\n", ".000001\n"}) {
        auto run = bisect("12 16\n", tol);
        EXPECT_EQ(header_of(run.directory).tol, e25("1.000000000000000E-06")) << tol;
    }
}

TEST(RealInput, NullValuesKeepTheVariablesAndTheStatementEndSkipsALine) {
    // 2* gives two null values ending at the line end with an empty text, so
    // the statement's end reads one more line and discards it.
    auto run = bisect("2*\nthis line is discarded\n", "0.1\n");
    Header h = header_of(run.directory);
    EXPECT_EQ(h.a, e25("0.000000000000000E+00"));
    EXPECT_EQ(h.b, e25("0.000000000000000E+00"));
    EXPECT_EQ(h.tol, e25("1.000000000000000E-01"));
    // f at the end point 0 is 0/0.
    EXPECT_EQ(run.err, "\r\nrun-time error M6101: MATH\r\n- floating-point error: invalid\r\n");
    EXPECT_EQ(run.status, 1);
}

TEST(RealInput, MalformedRealsAreReadErrors) {
    const std::string report = "\r\nrun-time error F6103: READ(CON)\r\n- " + std::string(rt::message_text(103));
    for (std::string typed : {"1.e", "1.5.2", "abc"}) {
        auto run = bisect("12 16\n", typed + "\n");
        EXPECT_EQ(run.err, report + "; typed: \"" + typed + "\"\r\n") << typed;
        EXPECT_EQ(run.status, 1);
        EXPECT_FALSE(e2e::file_exists(run.directory + "/r.bis.txt")) << "connected only after the last input";
    }
}

TEST(RealInput, TooLargeForADouble) {
    auto run = bisect("1e400 16\n", "0.1\n");
    EXPECT_EQ(run.err, "\r\nrun-time error F6102: READ(CON)\r\n- " + std::string(rt::message_text(102)) +
                           "; typed: \"1e400\"\r\n");
    EXPECT_EQ(run.status, 1);
}

}  // namespace
