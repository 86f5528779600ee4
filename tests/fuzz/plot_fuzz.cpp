// raizes-plot reading any bytes as a report and drawing what it read. The
// bytes are fed in pieces whose size comes from the first byte (1 to 64, so
// that lines are joined across pieces everywhere), and again in one piece:
// both readings must agree. A report that is read is drawn alone and twice
// on one picture; the picture must be UTF-8 holding only characters XML
// allows, with no NaN or infinity written anywhere.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "run_reading.hpp"
#include "svg_plot.hpp"
#include "text.hpp"

namespace {

std::variant<plot::RunSummary, plot::ParseError> read(std::string_view bytes, std::size_t piece) {
    plot::ReportStream stream;
    for (std::size_t at = 0; at < bytes.size(); at += piece) plot::feed(stream, bytes.substr(at, piece));
    return plot::finish(stream);
}

void require(bool condition) {
    if (!condition) std::abort();
}

// UTF-8 without control characters but tab, LF and CR (the texts that could
// hold U+FFFE are the program's own), and no NaN or infinity.
void check_picture(const std::string& svg) {
    require(plot::is_utf8(svg));
    for (char c : svg) require(static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r');
    require(svg.find("nan") == std::string::npos && svg.find("inf") == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t piece = size == 0 ? 1 : 1 + data[0] % 64;
    auto pieces = read(bytes, piece);
    const auto whole = read(bytes, bytes.size() + 1);
    require(pieces.index() == whole.index());
    if (const auto* failure = std::get_if<plot::ParseError>(&pieces)) {
        const auto& other = std::get<plot::ParseError>(whole);
        require(failure->line == other.line && failure->message == other.message);
        return 0;
    }
    plot::RunSummary& run = std::get<plot::RunSummary>(pieces);
    const plot::RunSummary& other = std::get<plot::RunSummary>(whole);
    require(run.rows == other.rows && run.ending == other.ending && run.last.number == other.last.number);
    std::vector<plot::Run> runs{{std::move(run), "fuzz.bis.txt"}};
    check_picture(plot::render_svg(runs));
    runs.push_back(runs.front());
    check_picture(plot::render_svg(runs));
    return 0;
}
