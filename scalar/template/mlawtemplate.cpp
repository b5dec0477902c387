// Writes the Moseley's-law workbook "MLaw.xlsx" that the scalar-mode export fills: a handout with one
// block per filter, one row per radiator (symbol, Z, K-alpha energy), column D for the measured rate,
// and formulas for the filter's transmission with a chart of it against Z. The output depends on
// nothing but this program, so every build writes the same bytes.
//
// Usage: zavo-mlaw-template OUT.xlsx
#include "scalar/export/moseleytemplate.h"
#include "scalar/export/xlsxpackage.h"

#include <xlsxwriter.h>

#include <QFile>
#include <QString>

#include <cstdio>
#include <string>

namespace {

struct Element {
    const char* symbol;
    int z;
    double kAlpha; // K-alpha-1 line, keV
    double kEdge;  // K absorption edge, keV
};

// The radiators and filters V ... Zn, in the order of the selectors' items 1 ... 8.
constexpr Element kElements[8] = {
    {"V", 23, 4.952, 5.465},  {"Cr", 24, 5.415, 5.989}, {"Mn", 25, 5.899, 6.539}, {"Fe", 26, 6.404, 7.112},
    {"Co", 27, 6.930, 7.709}, {"Ni", 28, 7.478, 8.333}, {"Cu", 29, 8.048, 8.979}, {"Zn", 30, 8.639, 9.659},
};

constexpr char kSheet[] = "Moseley";
constexpr time_t kCreated = 1767225600; // 2026-01-01 00:00 UTC, fixed so that builds are reproducible

struct Formats {
    lxw_format* title;
    lxw_format* text;
    lxw_format* blockTitle;
    lxw_format* heading;
    lxw_format* symbol;
    lxw_format* whole;
    lxw_format* energy;
    lxw_format* rate;
    lxw_format* ratio;
    lxw_format* note;
};

Formats makeFormats(lxw_workbook* book) {
    Formats f{};
    f.title = workbook_add_format(book);
    format_set_bold(f.title);
    format_set_font_size(f.title, 16);
    f.text = workbook_add_format(book);
    format_set_text_wrap(f.text);
    format_set_align(f.text, LXW_ALIGN_VERTICAL_TOP);
    f.blockTitle = workbook_add_format(book);
    format_set_bold(f.blockTitle);
    format_set_font_size(f.blockTitle, 12);
    f.heading = workbook_add_format(book);
    format_set_bold(f.heading);
    format_set_text_wrap(f.heading);
    format_set_bottom(f.heading, LXW_BORDER_THIN);
    format_set_bg_color(f.heading, 0xDDEBF7);
    f.symbol = workbook_add_format(book);
    format_set_align(f.symbol, LXW_ALIGN_CENTER);
    f.whole = workbook_add_format(book);
    format_set_align(f.whole, LXW_ALIGN_CENTER);
    f.energy = workbook_add_format(book);
    format_set_num_format(f.energy, "0.000");
    // The cells the program fills: framed and tinted, so a student sees where the numbers go.
    f.rate = workbook_add_format(book);
    format_set_num_format(f.rate, "0.00");
    format_set_bg_color(f.rate, 0xFFF2CC);
    format_set_border(f.rate, LXW_BORDER_THIN);
    f.ratio = workbook_add_format(book);
    format_set_num_format(f.ratio, "0.000");
    f.note = workbook_add_format(book);
    format_set_italic(f.note);
    format_set_font_color(f.note, 0x595959);
    return f;
}

// Built by appending: GCC 12 at -O3 reports a false overlap (-Wrestrict) for a literal put in
// front of a temporary string.
std::string cell(int row, char column, bool absolute = false) {
    std::string text;
    if (absolute)
        text += '$';
    text += column;
    if (absolute)
        text += '$';
    text += std::to_string(row);
    return text;
}

void writeIntroduction(lxw_worksheet* sheet, const Formats& f) {
    worksheet_write_string(sheet, 0, 0, "Moseley's law and the K absorption edges of metal filters", f.title);
    const char* const lines[2] = {"Measure the counting rate of every radiator V ... Zn, first without a "
                                  "filter, then behind each filter. "
                                  "Saving the scalar-mode table as \"Mosley's Law Excel spreadsheet\" writes "
                                  "each rate into column D of "
                                  "its filter's block (yellow cells).",
                                  "Transmission = rate behind the filter / rate without filter, for the same "
                                  "radiator. It drops sharply "
                                  "for the radiators whose K\xCE\xB1 line lies above the filter's K edge. "
                                  "Energies in keV, counting rates "
                                  "in counts per second (cps)."};
    for (lxw_row_t row = 1; row <= 2; ++row) {
        worksheet_set_row(sheet, row, 45, nullptr);
        worksheet_merge_range(sheet, row, 0, row, 5, lines[row - 1], f.text);
    }
}

// The headings of a block and its eight radiator rows; `filter` is 0 for the reference block.
void writeBlock(lxw_worksheet* sheet, const Formats& f, int filter) {
    const int start = scalar::templateBlockStart[static_cast<std::size_t>(filter)];
    const int reference = scalar::templateBlockStart[0];
    const auto row = [](int sheetRow) { return static_cast<lxw_row_t>(sheetRow - 1); };
    if (filter == 0) {
        worksheet_write_string(sheet, row(start - 1), 0, "Without filter: the reference rates", f.blockTitle);
    } else {
        const Element& e = kElements[filter - 1];
        const std::string title = std::string("Filter: ") + e.symbol + " (Z = " + std::to_string(e.z) +
                                  ", K edge " + QString::number(e.kEdge, 'f', 3).toStdString() + " keV)";
        worksheet_write_string(sheet, row(start - 1), 0, title.c_str(), f.blockTitle);
    }
    const char* headings[6] = {
        "Radiator",
        "Z",
        "K\xCE\xB1 energy [keV]",
        "Counting rate [cps]",
        filter == 0 ? "\xE2\x88\x9A(E / 10.2 eV) \xE2\x89\x88 Z \xE2\x88\x92 1" : "Transmission",
        filter == 0 ? "Moseley: E(K\xCE\xB1) \xE2\x89\x88 10.2 eV \xC2\xB7 (Z \xE2\x88\x92 1)\xC2\xB2"
                    : "K\xCE\xB1 line and filter K edge"};
    worksheet_set_row(sheet, row(start), 30, nullptr);
    for (lxw_col_t column = 0; column < 6; ++column) {
        worksheet_write_string(sheet, row(start), column, headings[column], f.heading);
    }
    for (int ri = 1; ri <= 8; ++ri) {
        const Element& radiator = kElements[ri - 1];
        const int r = start + ri;
        worksheet_write_string(sheet, row(r), 0, radiator.symbol, f.symbol);
        worksheet_write_number(sheet, row(r), 1, radiator.z, f.whole);
        worksheet_write_number(sheet, row(r), 2, radiator.kAlpha, f.energy);
        worksheet_write_blank(sheet, row(r), 3, f.rate);
        std::string formula;
        if (filter == 0) {
            formula = std::string("=SQRT(") + cell(r, 'C') + "*1000/10.2)";
            worksheet_write_formula(sheet, row(r), 4, formula.c_str(), f.ratio);
            continue;
        }
        // Empty until both rates are there; no division by a zero reference.
        const std::string rate = cell(r, 'D');
        const std::string ref = cell(reference + ri, 'D', true);
        formula = "=IF(AND(ISNUMBER(" + rate + "),ISNUMBER(" + ref + ")),IF(" + ref + ">0," + rate + "/" +
                  ref + ",\"\"),\"\")";
        worksheet_write_formula(sheet, row(r), 4, formula.c_str(), f.ratio);
        const std::string edge = QString::number(kElements[filter - 1].kEdge, 'f', 3).toStdString();
        formula = std::string("=IF(") + cell(r, 'C') + ">" + edge +
                  ",\"above the edge: absorbed\",\"below the edge: passes\")";
        worksheet_write_formula(sheet, row(r), 5, formula.c_str(), f.note);
    }
}

// Transmission (or, for the reference block, the rate) against Z below the block.
void addChart(lxw_workbook* book, lxw_worksheet* sheet, int filter) {
    const int start = scalar::templateBlockStart[static_cast<std::size_t>(filter)];
    lxw_chart* chart = workbook_add_chart(book, LXW_CHART_SCATTER_STRAIGHT_WITH_MARKERS);
    const auto column = [&](char letter) {
        return std::string("=") + kSheet + "!" + cell(start + 1, letter, true) + ":" +
               cell(start + 8, letter, true);
    };
    const std::string range = column('B');
    const std::string values = column(filter == 0 ? 'D' : 'E');
    lxw_chart_series* series = chart_add_series(chart, range.c_str(), values.c_str());
    chart_series_set_marker_type(series, LXW_CHART_MARKER_SQUARE);
    chart_legend_set_position(chart, LXW_CHART_LEGEND_NONE);
    const std::string title =
        filter == 0 ? std::string("Counting rate without filter")
                    : std::string("Transmission of the ") + kElements[filter - 1].symbol + " filter";
    chart_title_set_name(chart, title.c_str());
    chart_axis_set_name(chart->x_axis, "Atomic number Z of the radiator");
    chart_axis_set_min(chart->x_axis, 22);
    chart_axis_set_max(chart->x_axis, 31);
    chart_axis_set_major_unit(chart->x_axis, 1);
    chart_axis_set_name(chart->y_axis, filter == 0 ? "Counting rate [cps]" : "Transmission");
    chart_axis_set_min(chart->y_axis, 0);
    lxw_chart_options options{};
    options.x_scale = 1.2;
    worksheet_insert_chart_opt(sheet, static_cast<lxw_row_t>(start + 9), 0, chart, &options);
}

bool writeHandout(const char* path) {
    lxw_workbook* book = workbook_new(path);
    if (!book) {
        return false;
    }
    lxw_doc_properties properties{};
    properties.title = const_cast<char*>("Moseley's law");
    properties.subject = const_cast<char*>("K absorption edges of metal filters, measured in scalar mode");
    properties.created = kCreated;
    workbook_set_properties(book, &properties);
    lxw_worksheet* sheet = workbook_add_worksheet(book, kSheet);
    const Formats f = makeFormats(book);
    worksheet_set_column(sheet, 0, 0, 11, nullptr);
    worksheet_set_column(sheet, 1, 1, 6, nullptr);
    worksheet_set_column(sheet, 2, 3, 16, nullptr);
    worksheet_set_column(sheet, 4, 4, 22, nullptr);
    worksheet_set_column(sheet, 5, 5, 30, nullptr);
    writeIntroduction(sheet, f);
    lxw_row_t breaks[9] = {};
    for (int filter = 0; filter < 9; ++filter) {
        writeBlock(sheet, f, filter);
        addChart(book, sheet, filter);
        if (filter > 0) {
            breaks[filter - 1] =
                static_cast<lxw_row_t>(scalar::templateBlockStart[static_cast<std::size_t>(filter)] - 2);
        }
    }
    worksheet_set_h_pagebreaks(sheet, breaks);
    worksheet_set_paper(sheet, 9); // A4
    worksheet_fit_to_pages(sheet, 1, 0);
    return workbook_close(book) == LXW_NO_ERROR;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT.xlsx\n", argv[0]);
        return 2;
    }
    const QString out = QFile::decodeName(argv[1]);
    // libxlsxwriter stores formulas with a cached result of 0; the same pass that fills a copy drops
    // those, so a spreadsheet program shows the empty handout with empty results, not zeros.
    QString error;
    if (!writeHandout(argv[1]) || !scalar::fillWorkbookFile(out, {}, &error)) {
        std::fprintf(stderr, "cannot write %s: %s\n", argv[1], qPrintable(error));
        QFile::remove(out);
        return 1;
    }
    return 0;
}
