#include "output/label_layout.h"

#include <cstdlib>
#include <numeric>

#include "engine/errors.h"
#include "engine/pubstr.h"
#include "engine/textfmt.h"

namespace {

TLabelCheck Refuse(const char* Field, const std::string& Error) {
    return {false, Field, "[" + Error + "]" + MsgInvalidData};
}

void DefaultWhenEmpty(std::string& Text, const char* Default) {
    if (Trim(Text).empty()) Text = Default;
}

// A whole number of at least Min; false with Error set otherwise (empty for
// a value out of range).
bool ReadCount(const std::string& Text, int Min, int Max, int& Value, std::string& Error) {
    try {
        Value = StrToInt(Text);
    } catch (const EConvertError& e) {
        Error = e.what();
        return false;
    }
    Error.clear();
    return Value >= Min && Value <= Max;
}

// A length of at least 0 in inches.
bool ReadLength(const std::string& Text, double Factor, double& Value, std::string& Error) {
    try {
        Value = StrToFloat(Trim(Text)) * Factor;
    } catch (const EConvertError& e) {
        Error = e.what();
        return false;
    }
    Error.clear();
    return Value >= 0;
}

int Trunc(double V) {
    return static_cast<int>(V);
}

}  // namespace

TLabelCheck ValidateLabelLayout(TLabelPageText& Text, double PageWidth, double PageHeight,
                                TLabelGeometry& G) {
    const double factor = Text.ComboBoxMeasure == 1 ? kInchesPerMm : 1.0;
    DefaultWhenEmpty(Text.EditLabelColNumber, "3");
    DefaultWhenEmpty(Text.EditLabelRowNumber, "10");
    DefaultWhenEmpty(Text.EditLabelHorizontalGap, "0");
    DefaultWhenEmpty(Text.EditLabelVerticalGap, "0");
    DefaultWhenEmpty(Text.EditLengthMarge, "0");
    DefaultWhenEmpty(Text.EditWidthMarge, "0");
    DefaultWhenEmpty(Text.EditTopTitleWidth, "0.3");
    DefaultWhenEmpty(Text.EditLeftTitleLength, "1");

    constexpr int kMaxLabelsPerLine = 1000;
    std::string e;
    if (!ReadCount(Text.EditLabelColNumber, 1, kMaxLabelsPerLine, G.LabelColsPerPage, e))
        return Refuse("EditLabelColNumber", e);
    if (!ReadCount(Text.EditLabelRowNumber, 1, kMaxLabelsPerLine, G.LabelRowsPerPage, e))
        return Refuse("EditLabelRowNumber", e);
    const struct {
        const std::string& Text;
        double& Value;
        const char* Field;
    } lengths[] = {
        {Text.EditLabelHorizontalGap, G.LabelHorizontalGap, "EditLabelHorizontalGap"},
        {Text.EditLabelVerticalGap, G.LabelVerticalGap, "EditLabelVerticalGap"},
        {Text.EditLengthMarge, G.LabelLengthMargin, "EditLengthMarge"},
        {Text.EditWidthMarge, G.LabelWidthMargin, "EditWidthMarge"},
        {Text.EditTopTitleWidth, G.LabelTopTitleWidth, "EditTopTitleWidth"},
        {Text.EditLeftTitleLength, G.LabelLeftTitleLength, "EditLeftTitleLength"},
    };
    for (const auto& l : lengths)
        if (!ReadLength(l.Text, factor, l.Value, e)) return Refuse(l.Field, e);

    G.LabelWidth =
        (PageWidth - 2 * G.LabelLengthMargin - (G.LabelColsPerPage - 1) * G.LabelHorizontalGap) /
        G.LabelColsPerPage;
    G.LabelHeight =
        (PageHeight - 2 * G.LabelWidthMargin - (G.LabelRowsPerPage - 1) * G.LabelVerticalGap) /
        G.LabelRowsPerPage;
    // Margins and gaps that eat the whole page leave no label to print.
    if (!(G.LabelWidth > 0)) return Refuse("EditLengthMarge", "");
    if (!(G.LabelHeight > 0)) return Refuse("EditWidthMarge", "");
    return {};
}

TLabelCheck ReadPrintOptions(TLabelPageText& Text, double PageWidth, double PageHeight,
                             TLabelGeometry& G) {
    TLabelCheck c = ValidateLabelLayout(Text, PageWidth, PageHeight, G);
    if (!c.Ok) return c;
    std::string e;
    if (!ReadCount(Text.EditPrintLabelFromRow, 1, G.LabelRowsPerPage, G.LabelFromRow, e))
        return Refuse("EditPrintLabelFromRow", e);
    if (!ReadCount(Text.EditPrintLabelFromCol, 1, G.LabelColsPerPage, G.LabelFromCol, e))
        return Refuse("EditPrintLabelFromCol", e);
    return {};
}

TLabelCheck CheckLabelContent(const TLabelFormat& Format) {
    if (Format.TopTitle || Format.LeftTitle) return {};
    for (const auto& row : Format.Cells)
        for (const std::string& cell : row)
            if (!Trim(cell).empty()) return {};
    return {false, "StringGridLabelDataFormat",
            "Every cell of the label is empty, so the labels would print blank: type a field name "
            "or a text into the label's cells, or choose a label scheme"};
}

std::vector<TLabelPlace> PlaceLabels(const TLabelGeometry& G, int Count) {
    std::vector<TLabelPlace> places;
    if (Count <= 0) return places;
    places.reserve(static_cast<std::size_t>(Count));
    const int perPage = G.LabelRowsPerPage * G.LabelColsPerPage;
    int position = (G.LabelFromRow - 1) * G.LabelColsPerPage + (G.LabelFromCol - 1);
    int page = 0;
    while (static_cast<int>(places.size()) < Count) {
        const int r = position / G.LabelColsPerPage, c = position % G.LabelColsPerPage;
        places.push_back({page, (G.LabelWidth + G.LabelHorizontalGap) * c + G.LabelLengthMargin,
                          (G.LabelHeight + G.LabelVerticalGap) * r + G.LabelWidthMargin});
        if (++position == perPage) {
            position = 0;
            ++page;
        }
    }
    return places;
}

int LabelPageCount(const TLabelGeometry& G, int Count) {
    const std::vector<TLabelPlace> places = PlaceLabels(G, Count);
    return places.empty() ? 0 : places.back().Page + 1;
}

void DrawLabel(platform::TCanvas& C, const TLabelFormat& F, const TLabelGeometry& G,
               const std::vector<std::string>& Fields, const std::vector<std::string>& Row,
               double X, double Y, double Width, double Height) {
    const int ppi = C.PixelsPerInch();
    int x = Trunc(ppi * X), y = Trunc(ppi * Y);
    const int w = Trunc(ppi * Width), h = Trunc(ppi * Height);
    const int topH = F.TopTitle ? Trunc(ppi * G.LabelTopTitleWidth) : 0;
    const int leftW = F.LeftTitle ? Trunc(ppi * G.LabelLeftTitleLength) : 0;

    C.MoveTo(x, y);
    C.LineTo(x, y + h);
    C.LineTo(x + w, y + h);
    C.LineTo(x + w, y);
    C.LineTo(x, y);

    auto field = [&](std::size_t i) { return i < Row.size() ? Row[i] : std::string(); };
    const int fontH = std::abs(C.Font.Height);
    auto text = [&](int Left, int Top, int Band, const std::string& S) {
        if (!S.empty()) C.TextOut(Left + 3, Top + Band / 2 - fontH / 2, S);
    };
    if (F.TopTitle) {
        text(x, y, topH, F.TopTitleCaption + field(static_cast<std::size_t>(F.TopTitleData)));
        y += topH;
    }
    if (F.LeftTitle) {
        text(x, y, h - topH, F.LeftTitleCaption + field(static_cast<std::size_t>(F.LeftTitleData)));
        x += leftW;
    }
    if (F.Cells.empty() || F.ColWidths.empty()) return;
    const int cellH = Trunc(static_cast<double>(h - topH) / static_cast<int>(F.Cells.size()));
    const int total = std::accumulate(F.ColWidths.begin(), F.ColWidths.end(), 0);
    const double scale = total > 0 ? static_cast<double>(w - leftW) / total : 0.0;
    const int x0 = x;
    for (const std::vector<std::string>& cells : F.Cells) {
        x = x0;
        for (std::size_t c = 0; c < F.ColWidths.size(); ++c) {
            const std::string cell = c < cells.size() ? cells[c] : std::string();
            std::string shown = cell;
            for (std::size_t k = 0; k < Fields.size(); ++k)
                if (Fields[k] == cell) {
                    shown = field(k);
                    break;
                }
            text(x, y, cellH, shown);
            x += Trunc(F.ColWidths[c] * scale);
        }
        y += cellH;
    }
}
