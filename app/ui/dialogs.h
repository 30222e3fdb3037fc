// The main window's dialogs: material types, edge types, the grids to save
// on exit, the splash and the about box. Each is modal; closing one by its
// frame is Cancel.
#pragma once

class QWidget;
class TSDIAppForm;

// "Type setup": edits the material types; Save or OK take the list over,
// closing by the frame leaves the type drop-down and the lists as they were.
void ShowMaterialTypesDialog(TSDIAppForm& Form);
// The edge types table, its edits and the picture of which side is which;
// OK takes the table over as the program's edge types. True when it was
// taken over.
bool ShowEdgeTypesDialog(TSDIAppForm& Form);
// The grids-to-save dialog of the exit; its ticks become the auto-save
// settings unless it is closed by its frame. False after Cancel: the window
// is not to close.
bool ShowSaveSelectGrids(TSDIAppForm& Form);
// The splash: shown until its timer first fires (about one second).
void ShowSplash();
// The about box: the program's icon, name, version, a line on what it does,
// the web link (Comments, a long path shown shortened) and "Tech Support"
// (the mail link), each opened by the help links' opener, which names the
// page to open by hand when no program opens it.
void ShowAboutBox(TSDIAppForm& Form);

// Makes the dialog no bigger than the available area of its screen less the
// room of the window manager's frame, so that it opens whole on a small
// screen; it keeps at least its minimum size.
void FitDialogToScreen(QWidget& Dialog);
