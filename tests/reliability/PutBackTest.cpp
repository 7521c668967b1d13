// What a run changed comes back byte for byte and value for value: at the
// next start after a run stopped anywhere in either pass (recovery, Yes), and
// when a run that ended is undone; an undo can itself be undone.
#include "ReliabilityWorld.h"

#include "app/Startup.h"
#include "engine/PutBack.h"
#include "engine/RegTree.h"
#include "wordsim/SimIo.h"

#include <gtest/gtest.h>

namespace reliability {
namespace {

using State = std::map<std::string, std::string>;

// The user's components as they are now, one text per file or key.
State StateOf(ProgramRun& run, const Components& c) {
    State state;
    auto file = [&](const std::string& path) { state[path] = run.machine.ReadFileText(path).value_or("<none>"); };
    file(c.normalDot.path);
    for (const Components::File& addin : c.addins) file(addin.path);
    for (const Components::Key& key : c.keys) {
        engine::RegFile tree;
        state[key.subKey] = engine::ReadRegTree(run.machine, os::HKeyCurrentUser, key.subKey, &tree) == 0
                                ? engine::FormatRegFile(run.machine, tree)
                                : "<none>";
    }
    return state;
}

struct FlowCase {
    Flow flow;
    std::vector<wordsim::Component> faults;
};
const FlowCase kFlows[] = {
    {Flow::AutomaticRepair, {wordsim::Component::NormalDot, wordsim::Component::Data}},
    {Flow::Reset, {}},
    {Flow::RenameTemplate, {wordsim::Component::NormalDot}},
};

// The next start's recovery alone; the message boxes it showed.
std::vector<std::string> Recover(ProgramRun& run) {
    run.Restart();
    run.host().Run([&run] { app::OfferRecovery(*run.ctx); });
    return run.BoxTexts();
}

wordsim::InstallOptions Install(const FlowCase& c) {
    wordsim::InstallOptions options;
    options.faults = c.faults;
    return options;
}

TEST(PutBack, ARunStoppedAnywhereIsPutBackAtTheNextStart) {
    for (const FlowCase& c : kFlows) {
        int calls = 0;
        {
            ProgramRun clean(Install(c), "WD11");
            clean.machine.SetCallObserver([&calls](const std::string&, const std::string&) { ++calls; });
            ASSERT_EQ(Outcome::Ended, clean.Start(c.flow));
        }
        const int stops = 24;
        for (int k = 1; k <= calls; k += std::max(1, calls / stops)) {
            SCOPED_TRACE(std::string(FlowName(c.flow)) + ", stopped at call " + std::to_string(k));
            ProgramRun run(Install(c), "WD11");
            const Components components = Capture(run);
            const State before = StateOf(run, components);
            int seen = 0;
            run.machine.SetCallObserver([&](const std::string& m, const std::string&) {
                if (m == "RegCloseKey" || m == "CloseHandle" || m == "FindClose" || ++seen != k) return;
                run.host().End();
            });
            run.Start(c.flow);
            run.machine.SetCallObserver(nullptr);
            const State stopped = StateOf(run, components);
            // Read as the next start reads it, once the stopped program's
            // handles are closed. Stopped after Finish, the run ended on its
            // own road: nothing is asked.
            run.Restart();
            const std::vector<engine::JournalRun> journals = engine::ListJournals(run.machine);
            const bool finished = !journals.empty() && journals[0].finished;
            const std::vector<std::string> boxes = Recover(run);
            EXPECT_EQ(StateOf(run, components), finished ? stopped : before);
            EXPECT_TRUE(!finished || boxes.empty()) << ::testing::PrintToString(boxes);
            if (stopped != before && !finished) {
                ASSERT_EQ(2u, boxes.size()) << ::testing::PrintToString(boxes);
                EXPECT_EQ(0u, boxes[0].rfind("The last repair did not finish and left parts of Word disabled: ", 0));
                EXPECT_EQ(0u, boxes[1].rfind("Put back as before the last repair: ", 0)) << boxes[1];
                EXPECT_EQ(std::string::npos, boxes[1].find("could not")) << boxes[1];
            }
            // Asked once: the recovery is a finished run of its own.
            EXPECT_EQ(std::vector<std::string>{}, Recover(run));
        }
    }
}

TEST(PutBack, UndoingARunPutsBackWhatItChangedAndCanItselfBeUndone) {
    for (const FlowCase& c : kFlows) {
        SCOPED_TRACE(FlowName(c.flow));
        ProgramRun run(Install(c), "WD11");
        const Components components = Capture(run);
        const State before = StateOf(run, components);
        ASSERT_EQ(Outcome::Ended, run.Start(c.flow));
        ASSERT_NE(before, StateOf(run, components));
        // The latest run is undone through the wizard, then the undo itself,
        // which finds what Word rebuilt when it started.
        State expected = before;
        for (int round = 0; round < 2; ++round) {
            run.Restart();
            run.UserStartsWord();
            const State found = StateOf(run, components);
            ASSERT_EQ(Outcome::Ended, run.Start(Flow::Undo));
            EXPECT_EQ(StateOf(run, components), expected) << "round " << round;
            ASSERT_FALSE(run.results.empty());
            for (const std::string& result : run.results)
                EXPECT_EQ(" put back.", result.substr(result.size() - 10)) << result;
            expected = found;
        }
    }
}

// Cancel at each start of the add-in search: every add-in is as the last
// journal line naming it says, and the next start puts all of it back.
TEST(PutBack, AnAddinSearchCancelledAtAStartIsAsItsJournalSaysAndPutBack) {
    wordsim::InstallOptions options = Install({Flow::AutomaticRepair, {wordsim::Component::ComAddins, wordsim::Component::StartupAddins}});
    options.startupAddins = {"A1.dot", "A2.dot", "A3.wll", "A4.dot", "A5.dot", "A6.dot"};
    options.comAddins = {{"V.One", 3}, {"V.Two", 3}, {"V.Three", 3}};
    options.faultyStartupAddin = "A5.dot";
    options.faultyComAddin = "V.Two";
    for (int k = 1; k <= 6; ++k) {
        SCOPED_TRACE("cancelled at start " + std::to_string(k) + " of the search");
        ProgramRun run(options, "WD11");
        const Components components = Capture(run);
        const State before = StateOf(run, components);
        run.host().QueueAnswer(forms::vbYes);
        int starts = 0;
        run.machine.SetCallObserver([&](const std::string& m, const std::string&) {
            const auto& boxes = run.host().Boxes();
            if (m == "CreateObject" && !boxes.empty() && boxes.back().text.rfind("Quorvex left 9", 0) == 0 && ++starts == k)
                run.host().Click("frmBackup", "cmdCancel");
        });
        ASSERT_EQ(Outcome::Ended, run.Start(Flow::AutomaticRepair));
        run.machine.SetCallObserver(nullptr);
        ASSERT_EQ(starts, k);
        run.Restart();  // the ended program lets go of its journal
        const engine::JournalRun journal = engine::ListJournals(run.machine).at(0);
        const std::string comKey = "Software\\Microsoft\\Office\\Word\\Addins";
        std::map<std::string, bool> present;
        for (const engine::JournalEntry& entry : journal.entries)
            for (const std::string& change : entry.changes) {
                const bool on = change.rfind("put back", 0) == 0;
                if (entry.kind == engine::JournalEntry::Kind::File) present[entry.place] = on;
                for (const wordsim::ComAddin& a : options.comAddins)  // the whole key, or the one add-in
                    if (entry.place == comKey && (change == "removed" || change.rfind("put back from", 0) == 0 ||
                                                  change == "removed " + a.progId || change.rfind("put back " + a.progId + " ", 0) == 0))
                        present[a.progId] = on;
            }
        for (const wordsim::ComAddin& a : options.comAddins)
            EXPECT_EQ(present.at(a.progId), wordsim::io::KeyExists(run.machine, os::HKeyCurrentUser, comKey + "\\" + a.progId)) << a.progId;
        for (const std::string& file : run.word.startupAddins) EXPECT_EQ(present.at(file), run.machine.PathFileExists(file)) << file;
        const std::vector<std::string> boxes = Recover(run);
        EXPECT_TRUE(boxes.size() == 2 && boxes[0].rfind("The last repair did not finish", 0) == 0) << ::testing::PrintToString(boxes);
        EXPECT_EQ(StateOf(run, components), before);
    }
}

// A journal is read whole or not at all: a write cut short at its end was
// never acted on; any other change to it is damage, told once at the next
// start, and nothing of it is put back. The last ten are kept.
TEST(PutBack, AJournalIsUsedWholeOrNotAtAll) {
    ProgramRun run(Install(kFlows[1]), "WD11");
    const Components components = Capture(run);
    int seen = 0;
    run.machine.SetCallObserver([&](const std::string& m, const std::string& subject) {
        if (m == "RegDeleteKey" && subject.find("Options") != std::string::npos && ++seen == 1) run.host().End();
    });
    run.Start(Flow::Reset);
    run.machine.SetCallObserver(nullptr);
    run.Restart();
    const State stopped = StateOf(run, components);
    const std::string path = engine::ListJournals(run.machine).at(0).path;
    const std::string bytes = *run.machine.ReadFileText(path);
    const size_t line5 = bytes.find("\r\n", bytes.find("\r\n", bytes.find("\r\n", bytes.find("\r\n") + 2) + 2) + 2) + 2;
    const struct {
        const char* what;
        std::string text;
        const char* damage;
    } cases[] = {
        {"a last line cut short", bytes + "change\t1\tremo", ""},
        {"a character changed", bytes.substr(0, line5) + "x" + bytes.substr(line5 + 1), "line 5 does not match its check"},
        {"a line taken out", bytes.substr(0, line5) + bytes.substr(bytes.find("\r\n", line5) + 2),
         "line 5 does not match its check"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        run.machine.WriteFileText(path, c.text);
        const engine::JournalRun read = engine::ReadJournal(run.machine, path);
        EXPECT_EQ(c.damage, read.damage);
        EXPECT_EQ(read.damage.empty(), !read.entries.empty());
    }
    EXPECT_EQ(std::vector<std::string>{"The record of an earlier repair is damaged, so Quorvex did not use any of it: " +
                                       path + " (line 5 does not match its check)."},
              Recover(run));
    EXPECT_EQ(StateOf(run, components), stopped);
    EXPECT_EQ(std::vector<std::string>{}, Recover(run)) << "told once";

    for (int n = 0; n < 12; ++n) {
        engine::Journal journal(run.machine);
        journal.Note(engine::JournalEntry::Kind::File, "C:\\x" + std::to_string(n), false, {});
        journal.Finish();
    }
    const std::vector<engine::JournalRun> kept = engine::ListJournals(run.machine);
    ASSERT_EQ(10u, kept.size());
    EXPECT_EQ("C:\\x11", kept[0].entries.at(0).place);
    EXPECT_EQ("C:\\x2", kept[9].entries.at(0).place);
}

}  // namespace
}  // namespace reliability
