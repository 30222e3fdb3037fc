#include "app/ui/sdimain.h"

#include <QBoxLayout>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>

#include "app/core/main_window.h"
#include "app/ui/qt_canvas.h"

namespace {
// The control names of the tab pages, in TPage order.
constexpr const char* kPageNames[] = {"TabSheetSheets", "TabSheetOffcuts", "TabSheetParts",  "TabSheetAnyShape",
                                      "TabSheetLayout", "TabSheetReport",  "TabSheetPartHarp", "TabSheetSetup"};
static_assert(std::size(kPageNames) == static_cast<std::size_t>(TSDIAppForm::TPage::Count));
}  // namespace

TSDIAppForm::TSDIAppForm(TMainWindowCore& Core, QWidget* Parent) : QMainWindow(Parent), core_(Core) {
    setObjectName("SDIAppForm");
    pageControl_ = new QTabWidget(this);
    pageControl_->setObjectName("PageControl1");
    for (int i = 0; i < static_cast<int>(TPage::Count); ++i) {
        auto* page = new QWidget(pageControl_);
        page->setObjectName(kPageNames[i]);
        auto* outer = new QVBoxLayout(page);
        tools_[i] = new QHBoxLayout;
        bodies_[i] = new QVBoxLayout;
        outer->addLayout(tools_[i]);
        outer->addLayout(bodies_[i], 1);
        pageControl_->addTab(page, ToQString(core_.Captions.Caption(kPageNames[i])));
    }
    setCentralWidget(pageControl_);

    menuFile_ = menuBar()->addMenu(ToQString(core_.Captions.Caption("File1")));
    menuEdit_ = menuBar()->addMenu(ToQString(core_.Captions.Caption("Edit1")));
    menuHelp_ = menuBar()->addMenu(ToQString(core_.Captions.Caption("Help1")));
    toolBar_ = addToolBar("ToolBar1");
    toolBar_->setObjectName("ToolBar1");

    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName("ProgressBar1");
    progressBar_->setTextVisible(false);
    statusBar()->addPermanentWidget(progressBar_);

    InstallLayoutPage(*this);
    InstallPrinting(*this);
    InstallSettingsPages(*this);
    InstallImportExport(*this);
}

TSDIAppForm::~TSDIAppForm() = default;

QBoxLayout* TSDIAppForm::PageBody(TPage Page) { return bodies_[static_cast<int>(Page)]; }
QBoxLayout* TSDIAppForm::PageTools(TPage Page) { return tools_[static_cast<int>(Page)]; }
void TSDIAppForm::ShowPage(TPage Page) { pageControl_->setCurrentIndex(static_cast<int>(Page)); }

void TSDIAppForm::SetRunning(bool Running) {
    if (running_ == Running) return;
    running_ = Running;
    emit RunningChanged(Running);
}
