#include "app/core/desktop_open.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine/pubstr.h"
#include "support/scratch.h"

namespace {

// An opener that records what it is asked to open and keeps the answers, to
// be given later by the test (or at once, for the targets in AtOnce).
struct TFakeOpener {
    struct TCall {
        std::string Target;
        bool IsFile;
        TOpenAnswer Answer;
    };
    std::vector<TCall> Calls;
    std::map<std::string, bool> AtOnce;

    TDesktopOpener Opener() {
        return [this](const std::string& Target, bool IsFile, TOpenAnswer Answer) {
            Calls.push_back({Target, IsFile, Answer});
            if (auto it = AtOnce.find(Target); it != AtOnce.end()) Answer(it->second);
        };
    }
};

}  // namespace

// What the user is told once every opener has answered: nothing when each
// target found a program, else the targets without one in one message,
// files with their whole path to open by hand. A missing file is named at
// once and not handed to the opener.
TEST(DesktopOpen, TargetsNoProgramOpenedAreNamedOnceEveryAnswerIsIn) {
    testsupport::ScratchDir dir;
    const std::string page = dir.File("job.html"), list = dir.File("job.txt"),
                      labels = dir.File("job_LABEL.txt");
    for (const std::string& f : {page, list, labels}) testsupport::WriteText(f, "x");
    const std::string web = "https://tessaly.example/", mail = "mailto:help@tessaly.example";
    const std::string missing = dir.File("gone.html");
    struct Case {
        const char* What;
        std::vector<std::string> Targets;
        std::vector<bool> Opened;  // the answer for each target handed on, in order
        std::vector<std::string> Warnings;
    } cases[] = {
        {"each opened", {list, labels, page}, {true, true, true}, {}},
        {"a file not opened",
         {page},
         {false},
         {"No program could open the file. Open it by hand: " + page}},
        {"a link not opened", {web}, {false}, {"No program could open " + web + "."}},
        {"one of three not opened",
         {list, labels, page},
         {true, false, true},
         {"No program could open the file. Open it by hand: " + labels}},
        {"three files not opened",
         {list, labels, page},
         {false, false, false},
         {"No program could open the files. Open them by hand:\n" + list + "\n" + labels + "\n" +
          page}},
        {"a file and a link not opened",
         {page, mail},
         {false, false},
         {"No program could open these:\n" + page + "\n" + mail}},
        {"a missing file", {missing}, {}, {MsgCantOpenFile + "[" + missing + "]"}},
        {"a missing file and one not opened",
         {missing, page},
         {false},
         {MsgCantOpenFile + "[" + missing + "]",
          "No program could open the file. Open it by hand: " + page}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        testsupport::CaptureSink sink;
        TFakeOpener fake;
        OpenForUser(fake.Opener(), c.Targets);
        ASSERT_EQ(fake.Calls.size(), c.Opened.size());
        // The answers come in last to first; till the last, only the missing
        // files have been named.
        const std::size_t missing = c.Targets.size() - c.Opened.size();
        for (std::size_t i = c.Opened.size(); i-- > 0;) {
            EXPECT_EQ(sink.Warnings.size(), missing) << "before answer " << i;
            const TFakeOpener::TCall& call = fake.Calls[i];
            EXPECT_EQ(call.IsFile, call.Target != web && call.Target != mail) << call.Target;
            call.Answer(c.Opened[i]);
        }
        EXPECT_EQ(sink.Warnings, c.Warnings);
    }
}

// Answers given at once, or twice, are heard once each; a file named
// relative to the start-up folder is opened, and named, by its whole path.
TEST(DesktopOpen, AnswersAtOnceOrTwiceAndRelativeFiles) {
    testsupport::ScratchDir dir;
    const std::string page = dir.File("job.html"), list = dir.File("job.txt");
    testsupport::WriteText(page, "x");
    testsupport::WriteText(list, "x");
    testsupport::CaptureSink sink;

    TFakeOpener fake;
    fake.AtOnce = {{page, false}, {list, false}};
    OpenForUser(fake.Opener(), {page, list});
    EXPECT_EQ(sink.Warnings,
              (std::vector<std::string>{"No program could open the files. Open them by hand:\n" +
                                        page + "\n" + list}));
    // An opener that answers again later is not heard again.
    fake.Calls[0].Answer(true);
    fake.Calls[1].Answer(false);
    EXPECT_EQ(sink.Warnings.size(), 1u);

    sink.Warnings.clear();
    const std::string was = std::filesystem::current_path().string();
    ASSERT_EQ(::chdir(dir.Path().c_str()), 0);
    const std::string whole = (std::filesystem::current_path() / "job.html").string();
    TFakeOpener relative;
    OpenForUser(relative.Opener(), {"./job.html"});
    ASSERT_EQ(relative.Calls.size(), 1u);
    EXPECT_EQ(relative.Calls[0].Target, whole);
    relative.Calls[0].Answer(false);
    EXPECT_EQ(sink.Warnings, std::vector<std::string>{
                                 "No program could open the file. Open it by hand: " + whole});
    ASSERT_EQ(::chdir(was.c_str()), 0);
}
