// The five methods end to end: the dialogue, the report bytes, the viewer
// hand-off and the ends of a run.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "support/run_program.hpp"

namespace {

const std::string menu_and_name =
    "Informe o metodo de solucao escolhido:\r\n1 - bissecao; 2 - falsa posicao; 3 - ponto fixo simples\r\n"
    "4 - newton raphson; 5 - secante\r\nInforme o nome do arquivo de saida\r\n";
const std::string stop_message = "Stop - Program terminated.\r\n";

const std::string title_bis = "Solu\xE7\xE3o obtida atrav\xE9s do m\xE9todo da bisse\xE7\xE3o";
const std::string heading =
    "Itera\xE7\xE3o   Solu\xE7\xE3o aproximada          Varia\xE7\xE3o";
const std::string nmax_label = "n\xFAmero m\xE1ximo de itera\xE7\xF5" "es:";
const std::string tol_label = "toler\xE2ncia admitida: ";

std::string lines(std::initializer_list<std::string> each) {
    std::string joined;
    for (const auto& line : each) joined += line + "\r\n";
    return joined;
}

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            out.push_back(text.substr(start));
            break;
        }
        out.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return out;
}

// One table row: number, iterate and (when shown) the change.
struct Row {
    int number;
    double iterate;
    double change;  // NaN when the row has none
    std::size_t width;
};

std::vector<Row> table_rows(const std::string& report) {
    auto all = split_lines(report);
    std::vector<Row> rows;
    bool in_table = false;
    for (const auto& line : all) {
        if (line.rfind("Itera", 0) == 0) {
            in_table = true;
            continue;
        }
        if (!in_table || line.empty() || line.rfind("O m", 0) == 0) continue;
        Row row{std::atoi(line.substr(0, 5).c_str()), std::strtod(line.substr(5, 25).c_str(), nullptr), NAN,
                line.size()};
        if (line.size() >= 55) row.change = std::strtod(line.substr(30, 25).c_str(), nullptr);
        rows.push_back(row);
    }
    return rows;
}

std::string trailer(int nmax) {
    char field[8];
    std::snprintf(field, sizeof field, "%5d", nmax);
    return "\r\n\r\nO m\xE9todo falhou ap\xF3s " + std::string(field) + " itera\xE7\xF5" "es\r\n";
}

e2e::RunResult run_method(const std::string& input, bool with_viewer = false) {
    e2e::RunOptions options{.input = input};
    if (with_viewer) {
        options.directory = e2e::make_temp_dir();
        options.environment = {{"COMSPEC", e2e::recording_processor(options.directory)}};
    }
    return e2e::run_program(options);
}

const std::string bisection_prompts =
    "Informe as extremidades do intervalo considerado [a, b]:\r\nInforme a tolerancia admitida\r\n"
    "Informe o numero maximo de iteracoes\r\n";

const std::string worked_header = lines({
    title_bis, "", "Intervalo\tinicial:", "a =     1.200000000000000E+01", "b =     1.600000000000000E+01",
    tol_label + "    1.000000000000000E-01",
});

TEST(Bisection, WorkedExampleGivesTheSixteenLineReport) {
    auto run = run_method("1\nraiz\n12 16\n0.1\n10\n", true);
    const std::string expected = worked_header + lines({
        nmax_label + "   10", "", "", heading,
        "    1    1.400000000000000E+01",
        "    2    1.500000000000000E+01    1.000000000000000E+00",
        "    3    1.450000000000000E+01    5.000000000000000E-01",
        "    4    1.475000000000000E+01    2.500000000000000E-01",
        "    5    1.487500000000000E+01    1.250000000000000E-01",
        "    6    1.481250000000000E+01    6.250000000000000E-02",
    });
    EXPECT_EQ(e2e::visible(e2e::read_file(run.directory + "/raiz.bis.txt")), e2e::visible(expected));
    EXPECT_EQ(run.out, menu_and_name + bisection_prompts + stop_message);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
    // The viewer was started once the report was complete and closed.
    EXPECT_EQ(e2e::read_file(run.directory + "/viewer-args.txt"),
              e2e::recorded_call(e2e::recording_processor(run.directory), "notepad raiz.bis.txt"));
    EXPECT_EQ(e2e::read_file(run.directory + "/viewer-saw.txt"), expected);
}

TEST(Bisection, ExhaustedLimitWritesTheTrailerAndReturnsSilently) {
    auto run = run_method("1\nraiz\n12 16\n0.1\n3\n", true);
    const std::string expected = worked_header + lines({
        nmax_label + "    3", "", "", heading,
        "    1    1.400000000000000E+01",
        "    2    1.500000000000000E+01    1.000000000000000E+00",
        "    3    1.450000000000000E+01    5.000000000000000E-01",
    }) + "\r\n\r\nO m\xE9todo falhou ap\xF3s     3 itera\xE7\xF5" "es\r\n";
    EXPECT_EQ(e2e::visible(e2e::read_file(run.directory + "/raiz.bis.txt")), e2e::visible(expected));
    EXPECT_EQ(run.out, menu_and_name + bisection_prompts);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(e2e::read_file(run.directory + "/viewer-saw.txt"), expected);
}

TEST(Bisection, ReversedIntervalConvergesAtOnceInTheFirstRowFormat) {
    auto run = run_method("1\nr\n16 12\n0.1\n10\n");
    auto rows = table_rows(e2e::read_file(run.directory + "/r.bis.txt"));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].width, 30u);
    EXPECT_EQ(rows[0].iterate, 14.0);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find(stop_message), std::string::npos);
}

TEST(Bisection, LimitOfOneAndNonPositiveTolerance) {
    auto one = run_method("1\nr\n12 16\n0.1\n1\n");
    std::string report = e2e::read_file(one.directory + "/r.bis.txt");
    EXPECT_EQ(table_rows(report).size(), 1u);
    EXPECT_NE(report.find(trailer(1)), std::string::npos);

    auto zero_tol = run_method("1\nr\n12 16\n0\n8\n");
    report = e2e::read_file(zero_tol.directory + "/r.bis.txt");
    EXPECT_EQ(table_rows(report).size(), 8u);
    EXPECT_NE(report.find(trailer(8)), std::string::npos);
    EXPECT_EQ(zero_tol.out.find(stop_message), std::string::npos);
}

TEST(Bisection, ExactZeroOfTheFunctionConvergesWhateverTheTolerance) {
    // f is exactly 0 at a double next to the root, reached at row 51.
    auto run = run_method("1\nr\n12 16\n0\n1000\n");
    auto rows = table_rows(e2e::read_file(run.directory + "/r.bis.txt"));
    ASSERT_EQ(rows.size(), 51u);
    EXPECT_NEAR(rows.back().iterate, 14.78020859367947, 1e-13);
    EXPECT_NE(run.out.find(stop_message), std::string::npos);
}

TEST(FalsePosition, FallsTowardsTheRootFromAbove) {
    auto run = run_method("2\nr\n12 16\n0.00001\n20\n");
    auto rows = table_rows(e2e::read_file(run.directory + "/r.fp.txt"));
    const double expected[] = {14.91131, 14.79420, 14.78170, 14.78037, 14.78023, 14.78021, 14.780209};
    ASSERT_EQ(rows.size(), 7u);
    for (int i = 0; i < 7; ++i) EXPECT_NEAR(rows[i].iterate, expected[i], 1e-5) << i;
    EXPECT_NEAR(rows[6].change, 1.6e-6, 0.2e-6);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find(stop_message), std::string::npos);
}

TEST(FalsePosition, SwappedEndsJoinTheSameRunFromTheSecondIteration) {
    auto forward = run_method("2\nr\n12 16\n0.00001\n20\n");
    auto swapped = run_method("2\nr\n16 12\n0.00001\n20\n");
    auto a = table_rows(e2e::read_file(forward.directory + "/r.fp.txt"));
    auto b = table_rows(e2e::read_file(swapped.directory + "/r.fp.txt"));
    ASSERT_EQ(a.size(), b.size());
    EXPECT_NEAR(a[0].iterate, b[0].iterate, 1e-12);
    for (std::size_t i = 1; i < a.size(); ++i) EXPECT_EQ(a[i].iterate, b[i].iterate) << i;
}

TEST(FixedPoint, ClimbsToTheFixedPointAndConvergesAtRowFourteen) {
    auto run = run_method("3\nr\n1e-6\n100\n10\n");
    std::string report = e2e::read_file(run.directory + "/r.pfs.txt");
    auto rows = table_rows(report);
    ASSERT_EQ(rows.size(), 14u);
    EXPECT_EQ(rows[0].width, 30u);  // the first row never shows a change
    EXPECT_NEAR(rows[1].change, 1.31, 0.01);
    EXPECT_NEAR(rows[13].iterate, 14.7802, 1e-4);
    EXPECT_LT(rows[13].change, 1e-6);
    EXPECT_GE(rows[12].change, 1e-6);
    EXPECT_NE(report.find("Estimativa inicial (p0) =     1.000000000000000E+01\r\n"), std::string::npos);
    EXPECT_EQ(run.status, 0);
}

TEST(FixedPoint, RunningOffToMinusInfinityEndsInTheExponentialOverflow) {
    auto run = run_method("3\nr\n1e-6\n100\n-10\n");
    EXPECT_EQ(e2e::visible(run.err), e2e::visible("\r\nrun-time error M6203: MATH\r\n- exp: OVERFLOW error\r\n"));
    EXPECT_EQ(run.status, 1);
    auto rows = table_rows(e2e::read_file(run.directory + "/r.pfs.txt"));
    ASSERT_EQ(rows.size(), 2u);  // the rows before the fault stay in the file
    EXPECT_NEAR(rows[0].iterate, -55.8, 0.1);
    EXPECT_NEAR(rows[1].iterate, -6.0e4, 0.1e4);
    EXPECT_EQ(run.out.find(stop_message), std::string::npos);
}

TEST(NewtonRaphson, ConvergesFromTenAndFromThirty) {
    auto ten = run_method("4\nr\n1e-6\n20\n10\n");
    auto rows = table_rows(e2e::read_file(ten.directory + "/r.new.txt"));
    ASSERT_EQ(rows.size(), 6u);  // row 0 and five iterations
    EXPECT_EQ(rows[0].width, 30u);
    EXPECT_NEAR(rows[1].change, 3.95, 0.01);
    EXPECT_NEAR(rows[5].iterate, 14.7802086, 1e-7);
    EXPECT_EQ(ten.status, 0);

    auto thirty = run_method("4\nr\n1e-6\n20\n30\n");
    rows = table_rows(e2e::read_file(thirty.directory + "/r.new.txt"));
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_NEAR(rows[1].iterate, 3.97, 0.01);
}

TEST(NewtonRaphson, FromAHundredCreepsAndFails) {
    auto run = run_method("4\nr\n1e-6\n4\n100\n");
    std::string report = e2e::read_file(run.directory + "/r.new.txt");
    auto rows = table_rows(report);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_NEAR(rows[1].iterate, -399.4, 0.1);
    EXPECT_NEAR(rows[2].iterate - rows[1].iterate, 7, 1);
    EXPECT_NE(report.find(trailer(4)), std::string::npos);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.find(stop_message), std::string::npos);
}

TEST(NewtonRaphson, ZeroLimitWritesRowZeroAndTheTrailer) {
    auto run = run_method("4\nr\n1e-6\n0\n0\n");
    std::string report = e2e::read_file(run.directory + "/r.new.txt");
    EXPECT_EQ(table_rows(report).size(), 1u);
    EXPECT_NE(report.find(trailer(0)), std::string::npos);
    EXPECT_EQ(run.err, "");  // no function is evaluated, so p0 = 0 is harmless
}

TEST(NewtonRaphson, StartAtZeroIsAnInvalidOperationAfterRowZero) {
    auto run = run_method("4\nr\n1e-6\n10\n0\n");
    EXPECT_EQ(run.err, "\r\nrun-time error M6101: MATH\r\n- floating-point error: invalid\r\n");
    EXPECT_EQ(run.status, 1);
    auto rows = table_rows(e2e::read_file(run.directory + "/r.new.txt"));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].iterate, 0.0);
}

TEST(Secant, ConvergesFromTenTwelveAndFromTwelveSixteen) {
    auto a = run_method("5\nr\n1e-6\n20\n10 12\n");
    auto rows = table_rows(e2e::read_file(a.directory + "/r.sec.txt"));
    ASSERT_EQ(rows.size(), 8u);  // rows 0 to 7
    EXPECT_EQ(rows[7].number, 7);
    EXPECT_NEAR(rows[7].iterate, 14.7802086, 1e-7);
    EXPECT_NEAR(rows[2].change, 2.29, 0.01);

    auto b = run_method("5\nr\n1e-6\n20\n12\n16\n");  // the estimates on two lines
    rows = table_rows(e2e::read_file(b.directory + "/r.sec.txt"));
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[6].number, 6);
    EXPECT_EQ(b.status, 0);
}

TEST(Secant, EqualEstimatesDivideZeroByZero) {
    auto run = run_method("5\nr\n1e-6\n20\n13 13\n");
    EXPECT_EQ(run.err, "\r\nrun-time error M6101: MATH\r\n- floating-point error: invalid\r\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(table_rows(e2e::read_file(run.directory + "/r.sec.txt")).size(), 2u);
}

// Far out, f is -40 to the last bit, so two estimates there have the same
// value and the step divides a nonzero number by zero.
TEST(Secant, EqualValuesAtTwoEstimatesDivideByZero) {
    auto run = run_method("5\nr\n1e-6\n20\n1e300 2e300\n");
    EXPECT_EQ(e2e::visible(run.err),
              e2e::visible("\r\nrun-time error M6103: MATH\r\n- floating-point error: divide by zero\r\n"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(table_rows(e2e::read_file(run.directory + "/r.sec.txt")).size(), 2u);
}

// Values that differ in their last bit divide a huge step: the new iterate
// overflows.
TEST(Secant, StepBeyondTheDoubleRangeOverflows) {
    auto run = run_method("5\nr\n1e-6\n20\n5e16 1e300\n");
    EXPECT_EQ(e2e::visible(run.err),
              e2e::visible("\r\nrun-time error M6104: MATH\r\n- floating-point error: overflow\r\n"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(table_rows(e2e::read_file(run.directory + "/r.sec.txt")).size(), 2u);
    EXPECT_EQ(run.out.find(stop_message), std::string::npos);
}

TEST(NewtonRaphson, SquareOfAHugeStartOverflowsInThePower) {
    auto run = run_method("4\nr\n1e-6\n10\n1e155\n");
    EXPECT_EQ(e2e::visible(run.err), e2e::visible("\r\nrun-time error M6203: MATH\r\n- **: OVERFLOW error\r\n"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(table_rows(e2e::read_file(run.directory + "/r.new.txt")).size(), 1u);
}

TEST(Secant, LimitsOfZeroAndThree) {
    auto zero = run_method("5\nr\n1e-6\n0\n10 12\n");
    std::string report = e2e::read_file(zero.directory + "/r.sec.txt");
    EXPECT_EQ(table_rows(report).size(), 2u);
    EXPECT_NE(report.find(trailer(0)), std::string::npos);

    auto three = run_method("5\nr\n0\n3\n10 12\n");
    report = e2e::read_file(three.directory + "/r.sec.txt");
    auto rows = table_rows(report);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows.back().number, 4);
    EXPECT_NE(report.find(trailer(3)), std::string::npos);
}

TEST(Report, NameHandling) {
    // Leading blanks inside quotes are dropped; a long name is never cut.
    auto quoted = run_method("1\n'  raiz'\n12 16\n0.1\n10\n");
    EXPECT_TRUE(e2e::file_exists(quoted.directory + "/raiz.bis.txt"));

    const std::string sixty(60, 'n');
    auto longest = run_method("2\n" + sixty + "\n12 16\n0.00001\n20\n");
    EXPECT_TRUE(e2e::file_exists(longest.directory + "/" + sixty + ".fp.txt"));
}

TEST(Report, NullNameTakesTheCommandLineArgument) {
    e2e::RunOptions options{.input = "1\n,\n12 16\n0.1\n10\n", .arguments = {"dado.txt"}};
    auto run = e2e::run_program(options);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(table_rows(e2e::read_file(run.directory + "/dado.txt")).size(), 6u);
}

TEST(Report, NullNameWithoutArgumentsAsksForTheFileName) {
    auto directory = e2e::make_temp_dir();
    const std::string processor = e2e::recording_processor(directory);
    auto run = e2e::run_program({.input = "1\n,\n12 16\n0.1\n10\n  meu.txt  \n",
                                 .directory = directory,
                                 .environment = {{"COMSPEC", processor}}});
    EXPECT_EQ(run.out, menu_and_name + bisection_prompts +
                           "File name missing or blank - please enter file name\r\nUNIT 5? " + stop_message);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(table_rows(e2e::read_file(directory + "/meu.txt")).size(), 6u);
    // The command line ends at the first NUL of the name: no file name.
    EXPECT_EQ(e2e::read_file(directory + "/viewer-args.txt"), e2e::recorded_call(processor, "notepad "));
}

TEST(Report, ExistingLongerReportIsReplaced) {
    std::string directory = e2e::make_temp_dir();
    e2e::write_file(directory + "/r.bis.txt", std::string(5000, 'x'));
    auto run = e2e::run_program({.input = "1\nr\n12 16\n0.1\n10\n", .directory = directory});
    std::string report = e2e::read_file(directory + "/r.bis.txt");
    EXPECT_EQ(report.find("xx"), std::string::npos);
    EXPECT_LT(report.size(), 1000u);
    EXPECT_EQ(table_rows(report).size(), 6u);
}

TEST(Report, ViewerThatCannotBeFoundChangesNothing) {
    auto run = e2e::run_program({.input = "1\nr\n12 16\n0.1\n10\n",
                                 .environment = {{"COMSPEC", "/nonexistent/cmd"}}});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find(stop_message), std::string::npos);
}

}  // namespace
