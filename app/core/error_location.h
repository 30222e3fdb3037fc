// Where a reader of the main window's data found a bad field, and what to say
// about it.
//
// The readers that an optimisation run calls never move the focus nor show a
// box themselves: they fill one of these and report failure. The window then
// brings Page to the front, focuses Control (an edit: select all its text; a
// grid: make (Col, Row) the current cell) and stores Message as the last error
// message of the run.
#pragma once

#include <string>
#include <utility>

struct TErrorLocation {
    std::string Page;     // tab page of the main window, e.g. "TabSheetSetup"
    std::string Control;  // edit or grid on that page, e.g. "EditBladeWidth"
    int Col = -1;         // grid cell; both -1 when Control is no grid
    int Row = -1;
    std::string Message;  // the full text, framed as the reader frames it

    bool IsGridCell() const { return Col >= 0 && Row >= 0; }
    bool Empty() const { return Page.empty() && Control.empty() && Message.empty(); }
    void Clear() { *this = TErrorLocation(); }

    // A bad edit (or other single control) of a page.
    static TErrorLocation Field(std::string Page, std::string Control, std::string Message) {
        TErrorLocation e;
        e.Page = std::move(Page);
        e.Control = std::move(Control);
        e.Message = std::move(Message);
        return e;
    }
    // A bad cell (Col, Row) of a grid.
    static TErrorLocation Cell(std::string Page, std::string Grid, int Col, int Row,
                               std::string Message) {
        TErrorLocation e;
        e.Page = std::move(Page);
        e.Control = std::move(Grid);
        e.Col = Col;
        e.Row = Row;
        e.Message = std::move(Message);
        return e;
    }
};
