// The text report of the current plan (Optimizer.Best with the optimiser's
// lists): the header of one layout, the sheets table, the parts table and the
// summary that takes both tables in. Every builder clears its line list of
// the shared state and fills it again; every word comes from the replaceable
// strings, so a caption file changes the report too.
//
// Order of use: BuildSheetsReport, BuildPartsReport, then BuildSummaryReport
// (it copies the two tables). BuildLayoutHeaderText right before a layout's
// header is printed or written.
#pragma once

#include <functional>
#include <string>
#include <vector>

// The date and time texts of the layout header.
struct TReportDateTime {
    std::string Date;
    std::string Time;
};

// The local date and time in the process locale's short date ("%x") and
// long time ("%X") forms.
TReportDateTime LocalReportDateTime();

// Replaces the source of the header's date and time (an empty function
// restores LocalReportDateTime). Tests use it to get a fixed header.
void SetReportDateTimeSource(std::function<TReportDateTime()> Source);

// Fills LayoutHeaderLines for layout LayoutIndex (0-based) of Optimizer.Best.
// Throws EListError, leaving the lines empty, for an index outside the plan.
void BuildLayoutHeaderText(int LayoutIndex);

// Fills SheetsReportLines and TotalUsedSheets from Optimizer.Panels and
// UsedSheetsList (ComputeUsedQuantities must have run for the plan). Rows
// only when ReportAllRawPanels is on; sheets the plan does not use never.
void BuildSheetsReport();

// Fills PartsReportLines: every part of Optimizer.Parts, by material and then
// label (ordinal), when ReportAllParts is on. The order of Optimizer.Parts
// and WorkParts is the same afterwards; UsedPartsList is recomputed.
void BuildPartsReport();

// Fills SummaryReportLines: the options, the run's notes, both tables and the
// plan's totals.
void BuildSummaryReport();

// The lines of the report page and of the batch report file: one blank line,
// then every line of SummaryReportLines.
std::vector<std::string> ReportTextLines();

// Writes ReportTextLines to FileName, each line ended by CR LF (line breaks
// inside a line are written as blanks), completely or not at all. Throws
// platform::IniWriteError naming the file when it cannot be written.
void SaveReportTextFile(const std::string& FileName);

// Lines joined into one text, each ended by CR LF; a CR or LF inside a line
// becomes a blank so that every line stays one line of the file.
std::string JoinTextFileLines(const std::vector<std::string>& Lines);
