// The desktop's opener: "xdg-open" run on a file or a link, its exit status
// waited for without holding up the window.
#pragma once

#include "app/core/desktop_open.h"

class QObject;

// How long the opener's exit status is waited for. An opener still running
// then is taken to have found a program (some keep running as long as the
// program they started), and what it does later is not heard.
constexpr int kOpenerDeadlineMs = 5000;

// Starts the desktop's opener on Target and returns at once; Answer comes
// from the event loop: false when the opener could not be started, crashed
// or exited with a status other than 0 before DeadlineMs, true otherwise.
// Without "xdg-open" on the PATH, Qt's own opener is asked and answers at
// once. The opener's process belongs to Owner: when Owner goes, an opener
// still running is ended (not the program it started) and gives no answer.
void OpenOnDesktop(QObject* Owner, const std::string& Target, bool IsFile, TOpenAnswer Answer,
                   int DeadlineMs = kOpenerDeadlineMs);

// OpenOnDesktop as an opener for OpenForUser.
TDesktopOpener DesktopOpener(QObject* Owner, int DeadlineMs = kOpenerDeadlineMs);
