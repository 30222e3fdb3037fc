// The program's own icon: a stock sheet with parts cut from it. It is the
// icon of every window, the about box's picture and the splash's.
#pragma once

#include <QIcon>

QIcon ProgramIcon();
