// The plan's exports from the layout page: the HTML report with one picture
// per layout and the two cut lists beside it, and the DXF drawings and
// G-code files of every layout.
//
// Every file is written completely or not at all. The first file that cannot
// be written stops the export: the message sink gets "[" + error naming the
// file + "]" and the result is false (files written before it stay). With no
// layout in the plan the sink gets MsgLayoutIsEmpty and nothing is written.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// True when the plan has a layout; else MsgLayoutIsEmpty goes to the sink.
bool PlanHasLayouts();

// A report line as HTML: & < > and " as character references, then every
// blank as "&nbsp;".
std::string HtmlText(std::string_view Line);

// The chosen file name less its extension (the part after the last "." of
// its last path element, when there is one).
std::string ExportBaseName(const std::string& FileName);

// The picture file of layout LayoutIndex (0-based) of the page FileName:
// FileName + "_" + (LayoutIndex + 1) + ".bmp".
std::string HtmlPictureFileName(const std::string& FileName, int LayoutIndex);

// The page file of the HTML report for the name chosen in the save dialog:
// the name itself when it ends in ".html" or ".htm" (any letter case), else
// ExportBaseName(FileName) + ".html", so the page never takes the name of a
// companion (a chosen "x.txt" writes the page "x.html" beside the list
// "x.txt").
std::string HtmlPageFileName(const std::string& FileName);

// The scale (pixels per internal unit) of the picture of a layout of
// Length x Width: 800 pixels along the longer side, but at least
// kLeastPictureSide along the shorter one, so a long roll stays readable;
// the longer side then grows up to kMostPictureSide pixels.
constexpr double kPictureSide = 800;
constexpr double kLeastPictureSide = 300;
constexpr double kMostPictureSide = 16000;
double LayoutPictureScale(std::int32_t Length, std::int32_t Width);

// The picture of a layout as the bytes of a bitmap file; throws
// std::exception when it cannot be made.
using TLayoutPicture = std::function<std::string(int LayoutIndex)>;

// The HTML page: the report lines in a table, then for every layout its
// header and its picture, referred to by its name relative to the page
// (PictureNames[i]). Rebuilds LayoutHeaderLines for every layout.
std::string HtmlReportPage(const std::vector<std::string>& ReportLines,
                           const std::vector<std::string>& PictureNames);

// "Export HTML/TXT": writes ExportBaseName(FileName) + ".txt" (layout list)
// and + "_LABEL.txt" (piece list), the picture of every layout, then the
// page HtmlPageFileName(FileName), its pictures named after it. Written gets
// the names of the files written, in order (the page last).
bool HtmlReport(const std::vector<std::string>& ReportLines, const std::string& FileName,
                const TLayoutPicture& Picture, std::vector<std::string>& Written);

// "Export DXF" and "Export G Code": FileName + "_" + i + ".dxf" / ".gnc" for
// every layout i from 1. With GCodeZMoves the G-code export first reads the
// cut depth and safety height (ReadGCodeDepths): a refusal goes to the sink
// and nothing is written; the depths are written as lengths in the
// converter's form.
bool ExportLayoutsDxf(const std::string& FileName, std::vector<std::string>& Written);
bool ExportLayoutsGCode(const std::string& FileName, const std::string& CutZText,
                        const std::string& SafeZText, std::vector<std::string>& Written);
