// A main window over a fresh core in a scratch start-up folder, with the
// warnings recorded and helpers to type into grids and wait for a run.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "app/core/main_window.h"
#include "app/ui/grid_view.h"
#include "app/ui/sdimain.h"
#include "support/modal_watch.h"
#include "support/scratch.h"

using testsupport::OnModal;

// What a shell command prints (pdftotext, pdfinfo).
inline std::string Shell(const std::string& Command) {
    std::string out;
    if (FILE* p = popen(Command.c_str(), "r")) {
        char buf[4096];
        while (std::size_t n = fread(buf, 1, sizeof buf, p)) out.append(buf, n);
        pclose(p);
    }
    return out;
}

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override { form = std::make_unique<TSDIAppForm>(core); }
    void TearDown() override { form.reset(); }

  public:
    // Types Text into the cell (Col, Row) of a grid, as the cell editor does.
    static void Type(TGridView* grid, int col, int row, const std::string& text) {
        TStringGridModel* m = grid->GridModel();
        m->setData(m->index(row - 1, col - m->FirstColumn()), QString::fromStdString(text), Qt::EditRole);
    }
    static void TypeRow(TGridView* grid, int row, const std::vector<std::string>& cells) {
        for (int c = 0; c < static_cast<int>(cells.size()); ++c)
            if (!cells[c].empty()) Type(grid, c, row, cells[c]);
    }
  protected:
    // Processes events until the run has ended or Ms have passed.
    bool WaitForRunEnd(int ms) {
        QElapsedTimer t;
        t.start();
        while (form->Running() && t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
        QApplication::processEvents();
        return !form->Running();
    }
    testsupport::ScratchDir dir;
    testsupport::AppDirScope appDir{dir.Path()};
    testsupport::CaptureSink sink;
    TMainWindowCore core;
    std::unique_ptr<TSDIAppForm> form;
};
