// Start-up of the main window without widgets: the default files of the
// start-up folder, the last-used lists, the command-line switches, and the
// batch job of "-auto:yes".
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/core/command_line.h"
#include "app/core/main_window.h"
#include "platform/message_sink.h"
#include "platform/folder_lock.h"

// Loads the material types, options, edge types, captions and the lists
// (those last used as the option file names them, else the default files of
// AppDir). Missing files leave their data at its defaults. A file that is
// there but cannot be read (a folder, a pipe, no permission), or a list or
// rack file its reader refuses (too large for memory, a rack with no slot
// count, too many or fewer than 2 slots), is reported and not read; the
// result is then false, and the page names no file, so that no save writes
// over it. Before the files of a folder are read, a save that a kill stopped
// there is finished or undone (platform::RecoverWriteGroups); a folder whose
// record cannot be settled is neither read nor saved into (InUnsettledFolder).
// JobLock, when given, is the lock a job took before the files were read:
// the folders of the lists and racks the option file names must be among
// its folders, else nothing is read from them and the result is false.
bool LoadStartupFiles(TMainWindowCore& Window, const platform::TFolderLock* JobLock = nullptr);

// A flag of the command line ("-auto:", "-update:", "-hide:") given a value
// other than yes or no, as "-update:y": each is named with its value on the
// message sink, and the result is true: the program then runs nothing, opens
// no window and exits with status 1, so that a script sees that the job it
// asked for (an update, a run without a window) was not made.
bool RefuseUnclearFlags(const TCommandLine& CommandLine);

// Applies the command-line switches. A file named by "-sheet:", "-part:",
// "-sht:", "-prt:" or "-option:" must be there and readable: otherwise it is
// reported, the grid it was to fill is left empty (the options stay as they
// were) and the result is false.
bool ApplyCommandLine(TMainWindowCore& Window, const TCommandLine& CommandLine);

// The work of "-auto:yes" after the switches: the optimisation (on the
// calling thread), then the report files of "-report:" and the stock update
// of "-update:yes", "-ex_sheet:" and "-ex_part:"; a run that made no plan
// writes no report file, so that those of the run before stay as they were.
// In batch mode ("-hide:yes",
// which has no exit that saves the lists) an update that succeeds saves the
// racks it changed to the files they were loaded from and notes each file on
// the message sink. A run that made no plan, a report file asked for that
// could not be written, or an update that is refused (among others when
// another program holds the lock on the folders of its files), updates and
// exports nothing. A report that goes to a device or pipe gets no cut lists
// beside it. An exported list is not written
// over a list file the job read that another program has changed since; then
// no file of the update is saved. The parts of material types unticked in the
// material types are named on the message sink. True when a plan was made, it
// left out no part to cut, and every file asked for was written.
bool RunAutoJob(TMainWindowCore& Window, const TCommandLine& CommandLine);
// The part of RunAutoJob after the run: the report files and the stock
// update. The window calls it when its run on the worker thread has ended.
bool FinishAutoJob(TMainWindowCore& Window, const TCommandLine& CommandLine);

// Holds the warnings and notes given between Begin and End (questions go
// on to the sink in use), to be shown by Show.
class TDeferredMessages : public platform::MessageSink {
  public:
    void Begin();
    void End();
    void Show();
    void Warning(const std::string& Text) override { held_.emplace_back(true, Text); }
    bool Confirm(const std::string& Text, bool DefaultAnswer) override;
    void Note(const std::string& Text) override { held_.emplace_back(false, Text); }

  private:
    platform::MessageSink* shown_ = nullptr;
    std::vector<std::pair<bool, std::string>> held_;
};

// The automatic job of "-auto:yes" in the window, whose run goes on a worker
// thread: the job owns exactly one run, the first one the window starts, and
// ends with it whatever its outcome. A run that the pages refuse, that makes
// no plan or that fails still ends the job (the report files and the update
// asked for follow it as in batch mode, the update then refusing an empty
// plan); a run cancelled, as by closing the window during it, ends the job
// with nothing written and nothing booked. AutoMode is switched off at the
// end, so no later run of the user writes reports or changes the stock.
//
// A job that updates the stock locks the folders of its files as the batch
// job does (LockFiles, before the files are read: AppDir, the folders the
// switches name and those of the lists and racks default.opt names, all in
// the one order of platform::TFolderLock) and holds the lock until
// it ends, however it ends; a second program's update meanwhile waits for it
// or is refused, instead of working from the same old stock. Its messages
// are shown once the lock is given back.
class TAutoJob {
  public:
    TAutoJob(TMainWindowCore& Window, const TCommandLine& CommandLine)
        : window_(Window), commandLine_(CommandLine) {}

    // The window's start: LockFiles, then LoadStartupFiles and
    // ApplyCommandLine. A file that could not be read or was refused, a
    // lock that another program holds, or two files the job would write
    // (the racks the exit saves among them) that are one file, or whose
    // names differ only in letter case (one file on a FAT or exFAT disk),
    // switch the job off (AutoMode := false): it plans nothing.
    void LoadFiles();
    // When the command line asks for a job that updates the stock, locks
    // the folders of its files (AppDir, those the switches name and those of
    // the lists and racks default.opt names), waiting
    // at most platform::FolderLockWaitMs. False, after a warning, when
    // another program holds them.
    bool LockFiles();
    // Called as the job's run is started: true when a job is asked (AutoMode)
    // and not yet started; the job then waits for RunEnded. A job that will
    // not run gives its lock back.
    bool Begin();
    // True between Begin and the end of the job's run.
    bool Pending() const { return pending_; }
    // The end of a run. Does nothing unless the job is pending; otherwise
    // ends it (AutoMode := false) and, unless Cancelled, writes the report
    // files and makes the update; then gives the lock back. True when that
    // work was done (the window then shows the grids and pages again).
    bool RunEnded(bool Cancelled);
    // Whether the job holds the lock on the folders of its files.
    bool HoldsLock() const { return lock_.Held(); }

  private:
    TMainWindowCore& window_;
    const TCommandLine& commandLine_;
    bool pending_ = false;
    platform::TFolderLock lock_;
};

// The whole batch start: LoadStartupFiles, ApplyCommandLine and, when
// "-auto:" is "yes", RunAutoJob. A file that could not be read or was
// refused, and a list file cut at the most rows a list reads, end the job
// before any plan is made. A job that updates the stock first locks the
// folders of its files (AppDir, those the switches name and those of the
// lists and racks default.opt names), waiting at most
// platform::FolderLockWaitMs, and holds the lock until its last save. Two
// files the job would write that are one file, or whose names differ only in
// letter case (one file on a FAT or exFAT disk), end it before any plan.
// Switches that act only after a run, given without "-auto:yes", are named
// on the message sink as doing nothing. A broken pipe does not end the
// process: the write to it fails and is reported.
// Returns the process exit status: 0 when all went well, 1 when the job
// failed, 2 after an unexpected error.
int RunBatch(TMainWindowCore& Window, const TCommandLine& CommandLine);
