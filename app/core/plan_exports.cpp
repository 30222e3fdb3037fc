#include "app/core/plan_exports.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>

#include "app/core/option_edits.h"
#include "engine/pubstr.h"
#include "engine/shared_state.h"
#include "engine/textfmt.h"
#include "output/cut_lists.h"
#include "output/dxf_layout.h"
#include "output/gcode_layout.h"
#include "output/report_text.h"
#include "platform/inifile.h"
#include "platform/message_sink.h"
#include "platform/text_encoding.h"

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Runs Work; an error goes to the sink and the result is false.
bool Guarded(const std::function<void()>& Work) {
    try {
        Work();
        return true;
    } catch (const std::exception& e) {
        platform::CurrentMessageSink().Warning("[" + std::string(e.what()) + "]");
        return false;
    }
}

// Writes file Name with Writer and records it; an error that does not name
// the file yet is made to.
template <class W>
void SaveFile(const std::string& Name, W Writer, std::vector<std::string>& Written) {
    try {
        Writer(Name);
    } catch (const platform::IniWriteError&) {
        throw;
    } catch (const std::exception& e) {
        throw platform::IniWriteError("Cannot write file \"" + Name + "\": " + e.what());
    }
    Written.push_back(Name);
}

// Text with every character found in Table replaced by its text.
std::string Replaced(std::string_view Text,
                     std::initializer_list<std::pair<char, std::string_view>> Table) {
    std::string out;
    for (char c : Text) {
        const auto* hit = std::find_if(Table.begin(), Table.end(), [c](const auto& e) { return e.first == c; });
        if (hit == Table.end()) out += c;
        else out += hit->second;
    }
    return out;
}

// A file name as the source of an image: every byte but the letters, digits
// and "-._~" percent-encoded, so a browser finds the file whatever its name
// (küche.html_1.bmp is k%C3%BCche.html_1.bmp).
std::string PictureSource(std::string_view Name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : Name) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0xF];
        }
    }
    return out;
}

void AddLine(std::string& Page, std::string_view Line) {
    Page += Line;
    Page += kLineEnd;
}

void AddTableRow(std::string& Page, std::string_view Text) {
    AddLine(Page, "<tr><td>");
    AddLine(Page, Text);
    AddLine(Page, "</td></tr>");
}

}  // namespace

bool PlanHasLayouts() {
    if (Optimizer.Best.Count() > 0) return true;
    platform::CurrentMessageSink().Warning(MsgLayoutIsEmpty);
    return false;
}

std::string HtmlText(std::string_view Line) {
    return Replaced(
        platform::TextAsUtf8(Line),
        {{'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'"', "&quot;"}, {' ', "&nbsp;"}});
}

std::string ExportBaseName(const std::string& FileName) {
    const std::filesystem::path p(FileName);
    if (!p.has_extension() || !p.has_stem()) return FileName;
    return FileName.substr(0, FileName.size() - p.extension().native().size());
}

std::string HtmlPageFileName(const std::string& FileName) {
    std::string ext = std::filesystem::path(FileName).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".html" || ext == ".htm" ? FileName : ExportBaseName(FileName) + ".html";
}

double LayoutPictureScale(std::int32_t Length, std::int32_t Width) {
    const double longer = std::max({Length, Width, 1}), shorter = std::max({std::min(Length, Width), 1});
    const double scale = std::max(kPictureSide / longer, kLeastPictureSide / shorter);
    return std::min(scale, std::max(kMostPictureSide, kPictureSide) / longer);
}

std::string HtmlPictureFileName(const std::string& FileName, int LayoutIndex) {
    return FileName + "_" + IntToStr(LayoutIndex + 1) + ".bmp";
}

std::string HtmlReportPage(const std::vector<std::string>& ReportLines,
                           const std::vector<std::string>& PictureNames) {
    std::string page;
    for (std::string_view line :
         {"<!DOCTYPE html>", "<html>", "<head>", "<meta charset=\"utf-8\">", "</head>", "<body>",
          "<center><font face=monospace>", "<p>&nbsp;</p>", "<table width=80% border=1>"})
        AddLine(page, line);
    for (const std::string& line : ReportLines) AddTableRow(page, HtmlText(line));
    AddLine(page, "</table>");
    AddLine(page, "<p>&nbsp;</p>");
    for (std::size_t i = 0; i < PictureNames.size(); ++i) {
        AddLine(page, "<p>&nbsp;</p>");
        AddLine(page, "<table width=80% border=1>");
        BuildLayoutHeaderText(static_cast<int>(i));
        for (const std::string& line : LayoutHeaderLines) AddTableRow(page, HtmlText(line));
        AddTableRow(page, "<img src=\"" + PictureSource(PictureNames[i]) + "\">");
        AddLine(page, "</table>");
        AddLine(page, "<p>&nbsp;</p>");
    }
    for (std::string_view line : {"</font></center>", "</body>", "</html>"}) AddLine(page, line);
    return page;
}

bool HtmlReport(const std::vector<std::string>& ReportLines, const std::string& FileName,
                const TLayoutPicture& Picture, std::vector<std::string>& Written) {
    if (!PlanHasLayouts()) return false;
    return Guarded([&] {
        const std::string base = ExportBaseName(FileName);
        const std::string page = HtmlPageFileName(FileName);
        SaveFile(base + ".txt", SaveLayoutsListFile, Written);
        SaveFile(base + "_LABEL.txt", SavePiecesListFile, Written);
        std::vector<std::string> pictures;
        for (int i = 0; i < Optimizer.Best.Count(); ++i) {
            const std::string name = HtmlPictureFileName(page, i);
            SaveFile(name, [&](const std::string& n) { platform::WriteFileAtomic(n, Picture(i)); }, Written);
            pictures.push_back(std::filesystem::path(name).filename().string());
        }
        SaveFile(page, [&](const std::string& n) {
            platform::WriteFileAtomic(n, HtmlReportPage(ReportLines, pictures));
        }, Written);
    });
}

// Writes the file of every layout with Save(layout index, written name).
template <class S>
bool ExportEveryLayout(S Save, std::vector<std::string>& Written) {
    return PlanHasLayouts() && Guarded([&] {
               for (int i = 0; i < Optimizer.Best.Count(); ++i) {
                   std::string name;
                   Save(i, name);
                   Written.push_back(name);
               }
           });
}

bool ExportLayoutsDxf(const std::string& FileName, std::vector<std::string>& Written) {
    return ExportEveryLayout([&](int i, std::string& Name) { SaveLayoutDxf(FileName, i, Name); }, Written);
}

bool ExportLayoutsGCode(const std::string& FileName, const std::string& CutZText,
                        const std::string& SafeZText, std::vector<std::string>& Written) {
    if (!PlanHasLayouts()) return false;
    // Without Z moves the depths are not written, so they need no check.
    std::string cutZ = CutZText, safeZ = SafeZText, message;
    if (GCodeZMoves && !ReadGCodeDepths(CutZText, SafeZText, cutZ, safeZ, message)) {
        platform::CurrentMessageSink().Warning(message);
        return false;
    }
    return ExportEveryLayout(
        [&](int i, std::string& Name) { SaveLayoutGCode(FileName, cutZ, safeZ, Name, i); }, Written);
}
