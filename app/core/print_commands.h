// The printing commands and help links without their widgets: the five
// printer fonts, the layouts-per-page answer, what a print command needs
// before it prints, and where the help file and the program's web and mail
// links lead.
#pragma once

#include <string>
#include <vector>

#include "app/core/option_page.h"
#include "output/layout_print.h"

// The rows of the printer font table: printout text, labels, dimensions,
// x/y positions, cut sequence numbers.
enum class TPrinterFontRow : int { Text, Label, Dim, Position, CutSeq, Count };

// Reads the row's size and name edits into its settings; a size that is not
// a whole number or is below 8 becomes 8, in the edit and in the setting,
// for that row only.
void ReadPrinterFontRow(TOptionPage& Page, TPrinterFontRow Row);
// The font dialog's answer: the row's edits take the name and size; every
// row but the printout text also takes them into its settings at once.
void PrinterFontChosen(TOptionPage& Page, TPrinterFontRow Row, const std::string& Name, int Size);
// The row's size edit and name edit.
std::string& PrinterFontSizeEdit(TOptionPage& Page, TPrinterFontRow Row);
std::string& PrinterFontNameEdit(TOptionPage& Page, TPrinterFontRow Row);

// Rows and columns of layouts on a printed page, from the dialog's edits.
// False, with Message "[" + error + "]" + MsgInvalidData, for a text that is
// not a whole number or a value below 1.
bool ParseLayoutsPerPage(const std::string& RowsText, const std::string& ColsText, int& Rows,
                         int& Cols, std::string& Message);

// After the layouts-per-page dialog was confirmed: the part list and comment
// choices, the five fonts (text, label, position, dimensions, cut sequence)
// and the project title.
void ReadPrintSetup(TOptionPage& Page, bool PartsInLayoutChecked, bool CommentChecked);
// After "Print All": the layouts-per-page choice as the dialog left it
// becomes LayoutsPrintCol, LayoutsPrintRow and LayoutsPrintParts and the
// dialog's state that the option file keeps.
struct TWindowOptions;
void StoreLayoutsPerPage(TWindowOptions& Window, const std::string& ColsText,
                         const std::string& RowsText, bool Parts);

// The program's own web site and support mailbox, the only addresses its
// links lead to. Empty: not set; every link then opens the help file.
struct TProgramAddresses {
    std::string WebSite;         // "https://..." without a final "/"
    std::string SupportMailbox;  // "name@host"
};
const TProgramAddresses& ProgramAddresses();

// The help file's name relative to the start-up folder, and its path there.
std::string HelpFileName();
std::string HelpFilePath();
// The page a link to Target opens: a web or mail address as it is; a file
// of the start-up folder that is not there, the help file beside the
// program (in ProgramFolder) when that one is there.
std::string LinkedPage(const std::string& Target, const std::string& ProgramFolder);
// What the Help and File menu links open: the help file, the web site's home
// and download pages and a mail link to the support mailbox, each the help
// file when its address is not set.
std::string HomepageTarget(const TProgramAddresses& Addresses = ProgramAddresses());
std::string DownloadTarget(const TProgramAddresses& Addresses = ProgramAddresses());
std::string SupportMailTarget(const TProgramAddresses& Addresses = ProgramAddresses());

// What to say when no program opened Target (the help page, a page or list
// an export wrote, a link): that none could, and for a file the file to open
// by hand.
std::string NoProgramOpenedMessage(const std::string& Target, bool IsFile);

// Why a print of layouts Rows x Cols to a page is refused: layout
// LayoutNumber (from 1) would get its header and no drawing.
std::string LayoutWithoutDrawingMessage(int LayoutNumber, int Rows, int Cols);

// A printed drawing whose shorter side is under this many millimetres is too
// small to read.
constexpr double kSmallestReadableDrawingMm = 20;

// The question asked before layouts are printed Rows x Cols to a page when a
// drawing would come out too small to read: the first such layout with the
// size its drawing would have, and how many others are as small; "Yes"
// prints them as they are. Sizes[k] is layout First + k (from 0); a layout
// without a drawing is not asked about. PartsListed: the layouts print their
// parts lists, which leaving out gives the drawings room. Empty when every
// drawing is large enough.
std::string SmallDrawingQuestion(const std::vector<TPrintedDrawingSize>& Sizes, int First, int Rows,
                                 int Cols, bool PartsListed);
