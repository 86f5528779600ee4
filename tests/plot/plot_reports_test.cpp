// The reader and the order estimate of raizes-plot on reports that the real
// program writes: every row read equals the row written, every run ends as
// its report says, and each method's order falls in its band.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <variant>

#include "convergence.hpp"
#include "plot_support.hpp"
#include "report.hpp"
#include "support/run_program.hpp"

namespace {

using plot::Ending;
using plot::Method;

plot_test::ReadReport parsed(const std::string& bytes, std::size_t piece = 65536) {
    auto result = plot_test::read_report(bytes, piece);
    if (auto* failure = std::get_if<plot::ParseError>(&result))
        ADD_FAILURE() << "line " << failure->line << ": " << failure->message;
    return std::holds_alternative<plot_test::ReadReport>(result) ? std::get<plot_test::ReadReport>(result)
                                                                 : plot_test::ReadReport{};
}

// Every row as read is the row as written: its place, iterate and change.
void expect_rows_as_written(const plot_test::ReadReport& report, const std::string& bytes, std::int64_t first_row) {
    const auto written = plot_test::written_rows(bytes);
    ASSERT_EQ(report.rows.size(), written.size());
    ASSERT_FALSE(written.empty());
    for (std::size_t i = 0; i < written.size(); ++i) {
        const auto& row = report.rows[i];
        SCOPED_TRACE("row at position " + std::to_string(i));
        EXPECT_EQ(row.number, first_row + static_cast<std::int64_t>(i));
        if (written[i].number != "*****") {
            EXPECT_EQ(std::stoll(written[i].number), row.number);
        }
        EXPECT_EQ(row.iterate, written[i].iterate);
        ASSERT_EQ(row.change.has_value(), written[i].change.has_value());
        if (row.change) {
            EXPECT_EQ(*row.change, *written[i].change);
        }
    }
}

struct ConvergedRun {
    const char* dialogue;
    const char* report;
    Method method;
    const char* name;
    std::int64_t first_row, last_row;
    double order_low, order_high;
};

// The usual inputs with tolerance 1e-10. Order bands: 0.9 to 1.1 for the
// linear methods, 1.5 to 1.75 around the golden ratio for the secant, 1.85
// to 2.15 for Newton-Raphson.
const ConvergedRun converged_runs[] = {
    {"1\nraiz\n12 16\n1e-10\n100\n", "raiz.bis.txt", Method::bissecao, "bisse\xC3\xA7\xC3\xA3o", 1, 36, 0.9, 1.1},
    {"2\nraiz\n12 16\n1e-10\n100\n", "raiz.fp.txt", Method::falsa_posicao, "falsa posi\xC3\xA7\xC3\xA3o", 1, 12, 0.9,
     1.1},
    {"3\nraiz\n1e-10\n100\n10\n", "raiz.pfs.txt", Method::ponto_fixo_simples, "ponto fixo simples", 1, 21, 0.9, 1.1},
    {"4\nraiz\n1e-10\n100\n10\n", "raiz.new.txt", Method::newton_raphson, "Newton-Raphson", 0, 5, 1.85, 2.15},
    {"5\nraiz\n1e-10\n100\n10 12\n", "raiz.sec.txt", Method::secante, "secante", 0, 7, 1.5, 1.75},
};

TEST(PlotReports, FiveConvergedRunsReadAsWrittenWithTheirOrders) {
    const std::string directory = e2e::make_temp_dir();
    for (const auto& run : converged_runs) {
        SCOPED_TRACE(run.report);
        const std::string bytes = plot_test::write_report(run.dialogue, directory, run.report);
        const auto report = parsed(bytes);
        const plot::ReportHeader& header = report.run.header;
        EXPECT_EQ(header.method, run.method);
        EXPECT_EQ(header.method_name, run.name);
        EXPECT_EQ(header.tolerance, 1e-10);
        EXPECT_EQ(header.nmax, 100);
        EXPECT_EQ(report.run.ending, Ending::converged);
        expect_rows_as_written(report, bytes, run.first_row);
        ASSERT_FALSE(report.rows.empty());
        EXPECT_EQ(report.rows.back().number, run.last_row);
        EXPECT_NEAR(report.rows.back().iterate, 14.7802085936, 1e-9);

        const auto& order = report.run.order.estimate;
        ASSERT_TRUE(order.has_value());
        EXPECT_GE(order->order, run.order_low);
        EXPECT_LE(order->order, run.order_high);
    }
}

TEST(PlotReports, FailedAndStoppedRunsEndAsTheirReportsSay) {
    const std::string directory = e2e::make_temp_dir();

    // A tolerance of 1e-100 is written with a three-digit exponent and no
    // letter; the run fails after 20 halvings, each change exactly half the
    // one before.
    const std::string bisection = plot_test::write_report("1\nf\n12 16\n1e-100\n20\n", directory, "f.bis.txt");
    const auto b = parsed(bisection);
    EXPECT_EQ(b.run.header.tolerance, 1e-100);
    EXPECT_EQ(b.run.header.header_values, (std::vector<double>{12, 16}));
    EXPECT_EQ(b.run.ending, Ending::failed);
    expect_rows_as_written(b, bisection, 1);
    for (std::size_t i = 1; i < b.rows.size(); ++i) EXPECT_EQ(*b.rows[i].change, std::ldexp(1.0, 1 - int(i)));

    // From 100 Newton-Raphson jumps below -399 and creeps back: negative
    // iterates, changes that do not shrink, so no order.
    const std::string newton = plot_test::write_report("4\nf\n1e-10\n6\n100\n", directory, "f.new.txt");
    const auto n = parsed(newton);
    EXPECT_EQ(n.run.ending, Ending::failed);
    expect_rows_as_written(n, newton, 0);
    EXPECT_LT(n.rows[1].iterate, -399);
    EXPECT_FALSE(n.run.order.estimate.has_value());

    // With tolerance 0 Newton-Raphson goes on past the root: changes of one
    // or two units in the last place follow 3.1e-11. They are rounding
    // noise, and the order still comes from the changes above it.
    const std::string noisy = plot_test::write_report("4\nz\n0\n12\n10\n", directory, "z.new.txt");
    const auto nz = parsed(noisy);
    EXPECT_EQ(nz.run.ending, Ending::failed);
    ASSERT_EQ(nz.rows.size(), 13u);
    EXPECT_LT(*nz.rows[6].change, 4e-15);
    const auto& noisy_order = nz.run.order.estimate;
    ASSERT_TRUE(noisy_order.has_value());
    EXPECT_NEAR(noisy_order->order, 2.0, 0.15);
    EXPECT_EQ(noisy_order->last_row, 5u);

    // The secant's failure line names nmax, one less than its last row.
    const std::string secant = plot_test::write_report("5\nf\n1e-10\n3\n10 12\n", directory, "f.sec.txt");
    const auto s = parsed(secant);
    EXPECT_EQ(s.run.ending, Ending::failed);
    EXPECT_EQ(s.run.header.nmax, 3);
    expect_rows_as_written(s, secant, 0);
    EXPECT_EQ(s.rows.back().number, 4);

    const std::string fixed = plot_test::write_report("3\nf\n1e-10\n8\n10\n", directory, "f.pfs.txt");
    const auto p = parsed(fixed);
    EXPECT_EQ(p.run.ending, Ending::failed);
    EXPECT_EQ(p.run.header.header_values, (std::vector<double>{10}));
    expect_rows_as_written(p, fixed, 1);

    // With tolerance 0 the secant meets two equal iterates and the program
    // ends on 0/0 after its row: no failure line, and no convergence either.
    const std::string cut_short = plot_test::write_report("5\nz\n0\n12\n10 12\n", directory, "z.sec.txt");
    const auto z = parsed(cut_short);
    EXPECT_EQ(z.run.ending, Ending::stopped);
    expect_rows_as_written(z, cut_short, 0);
    EXPECT_EQ(*z.rows.back().change, 0.0);
}

// The report up to the end of its table row at `position` (0: the first).
std::string cut_after_row(const std::string& bytes, std::size_t position) {
    std::size_t end = bytes.find("\r\n", bytes.find("Varia\xE7\xE3o"));
    for (std::size_t i = 0; i <= position; ++i) end = bytes.find("\r\n", end + 2);
    return bytes.substr(0, end + 2);
}

// A report without the failure line converged only if its last row may have
// met the method's test: its change, or in the first rows the change from the
// header's values, below the tolerance. Cut by hand or by a full disk, it
// stopped.
TEST(PlotReports, EveryMethodsEndingIsJudgedByItsTolerance) {
    const std::string directory = e2e::make_temp_dir();
    for (const auto& run : converged_runs) {
        SCOPED_TRACE(run.report);
        const std::string bytes = plot_test::write_report(run.dialogue, directory, run.report);
        for (std::size_t position : {0, 1, 2, 3}) {
            SCOPED_TRACE(position);
            EXPECT_EQ(parsed(cut_after_row(bytes, position)).run.ending, Ending::stopped);
        }
    }
    // Met at the first row, which shows no change: bisection on [16, 12]
    // (half the interval, -2, is below 0.1), and the fixed point from the
    // root itself.
    const std::string reversed = plot_test::write_report("1\nr\n16 12\n0.1\n10\n", directory, "r.bis.txt");
    const std::string at_root = plot_test::write_report("3\nr\n1e-6\n10\n14.7802085936\n", directory, "r.pfs.txt");
    for (const std::string& bytes : {reversed, at_root}) {
        const auto report = parsed(bytes);
        EXPECT_EQ(report.rows.size(), 1u);
        EXPECT_EQ(report.run.ending, Ending::converged);
    }
}

// A report converted to UTF-8, with or without a byte order mark, with CR LF
// or LF line ends, is read as the report itself.
TEST(PlotReports, ReportsConvertedToUtf8ReadAsTheReportsThemselves) {
    const std::string directory = e2e::make_temp_dir();
    for (const auto& run : converged_runs) {
        SCOPED_TRACE(run.report);
        const std::string bytes = plot_test::write_report(run.dialogue, directory, run.report);
        const auto utf8 = plot_test::run_command({"iconv", "-f", "WINDOWS-1252", "-t", "UTF-8", run.report}, directory);
        ASSERT_EQ(utf8.status, 0) << utf8.err;
        const auto original = parsed(bytes);
        for (const std::string& text : {utf8.out, "\xEF\xBB\xBF" + utf8.out, std::regex_replace(utf8.out, std::regex("\r"), "")}) {
            const auto report = parsed(text);
            EXPECT_EQ(report.run.header.title, original.run.header.title);
            EXPECT_EQ(report.run.header.tolerance, original.run.header.tolerance);
            EXPECT_EQ(report.run.ending, original.run.ending);
            expect_rows_as_written(report, bytes, run.first_row);
        }
    }
}

// Past row 99999 the row number is written as asterisks; the rows are
// counted by position, and nmax (120000) is asterisks too.
TEST(PlotReports, RowsPastTheFiveDigitFieldAreCountedByPosition) {
    const std::string directory = e2e::make_temp_dir();
    const std::string bytes = plot_test::write_report("1\nlong\n16 20\n0\n120000\n", directory, "long.bis.txt");
    // Read in pieces of 7 bytes: lines are joined across pieces.
    const auto report = parsed(bytes, 7);
    EXPECT_FALSE(report.run.header.nmax.has_value());
    EXPECT_EQ(report.run.ending, Ending::failed);
    ASSERT_EQ(report.rows.size(), 120000u);
    EXPECT_EQ(report.run.rows, 120000u);
    expect_rows_as_written(report, bytes, 1);
    EXPECT_EQ(report.run.last.number, 120000);
    EXPECT_EQ(report.run.last.iterate, 20.0);
    const auto& order = report.run.order.estimate;
    ASSERT_TRUE(order.has_value());
    EXPECT_NEAR(order->order, 1.0, 1e-9);
}

// Two typed equations, a polynomial (its derivative worked out) and one with
// log and sin (its derivative typed), by all five methods: each run
// converges on the root, raizes-plot reads the lines naming the equation
// and draws each run with its equation under the title, the longest
// expression and pieces of 7 bytes included.
TEST(PlotReports, TypedEquationsByEveryMethodEachWithAPicture) {
    struct Equation {
        std::vector<std::string> options;
        double root;
        std::string f, g, df;  // the lines naming it
    };
    const std::string automatic = "df(x) = derivada exata de f(x), por diferencia\xC3\xA7\xC3\xA3o autom\xC3\xA1tica";
    const Equation equations[] = {
        {{"--f", "x**3 - 2*x - 5", "--g", "(2*x + 5)**(1/3)"}, 2.0945514815423265, "f(x) = x**3 - 2*x - 5",
         "g(x) = (2*x + 5)**(1/3)", automatic},
        {{"--f=log(x) + sin(x) - 1", "--g", "exp(1 - sin(x))", "--df", "1/x + cos(x)"}, 1.1099563755802715,
         "f(x) = log(x) + sin(x) - 1", "g(x) = exp(1 - sin(x))", "df(x) = 1/x + cos(x)"},
        {{"--f", "x - 1" + std::string(995, ' '), "--g", "1"}, 1.0, "f(x) = x - 1" + std::string(995, ' '),
         "g(x) = 1", "df(x) = derivada"},
    };
    const char* const dialogues[] = {"1\nr\n0.5 3\n1e-12\n100\n", "2\nr\n0.5 3\n1e-12\n100\n",
                                     "3\nr\n1e-12\n100\n1.5\n", "4\nr\n1e-12\n100\n1.5\n",
                                     "5\nr\n1e-12\n100\n1 1.5\n"};
    const char* const reports[] = {"r.bis.txt", "r.fp.txt", "r.pfs.txt", "r.new.txt", "r.sec.txt"};
    for (const Equation& equation : equations) {
        for (int m = 0; m < 5; ++m) {
            SCOPED_TRACE(equation.f.substr(0, 40) + " " + reports[m]);
            const auto run = e2e::run_program({.input = dialogues[m], .arguments = equation.options});
            EXPECT_EQ(run.status, 0) << run.err;
            const std::string bytes = e2e::read_file(run.directory + "/" + reports[m]);
            const auto report = parsed(bytes, 7);
            EXPECT_EQ(report.run.ending, Ending::converged);
            EXPECT_NEAR(report.run.last.iterate, equation.root, 1e-9);
            std::vector<std::string> lines = {equation.f};
            if (m == 2) lines.push_back(equation.g);
            if (m == 3) lines.push_back(equation.df);
            if (lines.back() == "df(x) = derivada") lines.back() = automatic;
            EXPECT_EQ(report.run.header.equation, lines);
            const auto picture = plot_test::run_plot({reports[m], "-o", "-"}, run.directory);
            EXPECT_EQ(picture.status, 0) << picture.err;
            EXPECT_NE(picture.out.find(">" + equation.f.substr(0, 60)), std::string::npos);
        }
    }
}

}  // namespace
