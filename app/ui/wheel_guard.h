// The mouse wheel over a page that scrolls: it scrolls the page, and changes
// the value of a drop-down list, spin box, slider or scroll bar on the page
// only while that control has the focus (a turn of the wheel on the way down
// the page must not pick another colour).
#pragma once

class QScrollArea;

// Guards every such control now inside Area's widget.
void ScrollPageOnWheel(QScrollArea* Area);
