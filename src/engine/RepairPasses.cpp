#include "engine/RepairPasses.h"

namespace engine {

namespace {
using Part = RunRecord::Part;
using Op = void (clsWD::*)();

struct Step {
    const char* what;
    Op call;
};

// The registry components, in the order both passes check them.
struct RegistryCheck {
    Part part;
    Op enable;
    Op disable;
};
constexpr RegistryCheck kRegistryChecks[] = {
    {Part::COM, &clsWD::COMRestore, &clsWD::COMRemove},
    {Part::Data, &clsWD::DataRestore, &clsWD::DataRemove},
    {Part::Options, &clsWD::OptionsRestore, &clsWD::OptionsRemove},
};

class Runner {
public:
    Runner(clsWD& wd, const RunRecord& run, PassReporter& reporter, Pass pass)
        : wd_(wd), run_(run), reporter_(reporter), pass_(pass) {}

    // Runs the steps to everything disabled, then starts Word.
    template <size_t N>
    bool Prepare(const Step (&steps)[N]) {
        for (size_t i = 0; i < N; ++i) {
            reporter_.Step(pass_, i, steps[i].what);
            (wd_.*steps[i].call)();
        }
        reporter_.Step(pass_, N, "start Word with everything disabled");
        result_.started = wd_.WordStartNormal();
        reporter_.StartedDisabled(pass_, result_.started);
        return result_.started;
    }

    // One component on, the start test, and off again when Word fails with
    // it (or always, with offAnyway). A component that could not be put back
    // is not what Word started with, so the test says nothing about it.
    void Check(Part part, Op on, Op off, bool offAnyway) {
        // A component that could not be turned off before (its backup could
        // not be written, say) reads so rather than as a result of the test.
        const std::string earlier = ResultLine(run_, part, Done::Disabled, {});
        (wd_.*on)();
        if (FellShort(part, Done::PutBack)) {
            if (offAnyway) (wd_.*off)();
            return;
        }
        const bool started = wd_.WordStartNormal();
        Report(part, !earlier.empty() ? Verdict::NotDone : started ? Verdict::Passed : Verdict::Failed, earlier);
        if (started && !offAnyway) return;
        (wd_.*off)();
        FellShort(part, Done::Disabled);
    }

    void CheckAll(bool registryOffAnyway) {
        Check(Part::Template, &clsWD::RestoreTemplate, &clsWD::RenameTemplate, false);
        for (const RegistryCheck& c : kRegistryChecks) Check(c.part, c.enable, c.disable, registryOffAnyway);
        // The Startup add-ins are always left disabled.
        Check(Part::Addins, &clsWD::RestoreAddins, &clsWD::RenameAddins, true);
    }

    // Reports the failure of the latest operation on part, if it failed.
    bool FellShort(Part part, Done done) {
        const std::string line = ResultLine(run_, part, done, {});
        if (line.empty()) return false;
        Report(part, Verdict::NotDone, line);
        return true;
    }

    PassResult result_;

private:
    void Report(Part part, Verdict verdict, const std::string& line) {
        result_.verdict[static_cast<size_t>(part)] = verdict;
        reporter_.Result(pass_, part, verdict, line);
    }

    clsWD& wd_;
    const RunRecord& run_;
    PassReporter& reporter_;
    Pass pass_;
};
}  // namespace

PassResult AnalysisPass(clsWD& wd, const RunRecord& run, PassReporter& reporter) {
    static constexpr Step kSteps[kAnalysisSteps] = {
        {"back up COM", &clsWD::COMBackup},
        {"back up Data", &clsWD::DataBackup},
        {"back up Options", &clsWD::OptionsBackup},
        {"rename the Startup add-ins aside", &clsWD::RenameAddins},
        {"remove COM", &clsWD::COMRemove},
        {"remove Data", &clsWD::DataRemove},
        {"remove Options", &clsWD::OptionsRemove},
        {"rename Normal.dot aside", &clsWD::RenameTemplate},
        {"unregister Word", &clsWD::UnRegServ},
        {"register Word", &clsWD::RegServ},
    };
    Runner runner(wd, run, reporter, Pass::Analysis);
    if (!runner.Prepare(kSteps)) return runner.result_;

    // One component at a time, disabled again whatever its result.
    runner.CheckAll(true);

    // Everything back as the user had it; what cannot be is told on its line.
    for (const RegistryCheck& c : kRegistryChecks) {
        (wd.*c.enable)();
        runner.FellShort(c.part, Done::PutBack);
    }
    wd.RestoreAddins();
    runner.FellShort(Part::Addins, Done::PutBack);
    return runner.result_;
}

PassResult RepairPass(clsWD& wd, const RunRecord& run, PassReporter& reporter) {
    static constexpr Step kSteps[] = {
        {"back up COM", &clsWD::COMBackup},
        {"back up Data", &clsWD::DataBackup},
        {"back up Options", &clsWD::OptionsBackup},
        {"rename Normal.dot aside", &clsWD::RenameTemplate},
        {"rename the Startup add-ins aside", &clsWD::RenameAddins},
        {"remove COM", &clsWD::COMRemove},
        {"remove Data", &clsWD::DataRemove},
        {"remove Options", &clsWD::OptionsRemove},
        {"unregister Word", &clsWD::UnRegServ},
        {"register Word", &clsWD::RegServ},
    };
    Runner runner(wd, run, reporter, Pass::Repair);
    if (!runner.Prepare(kSteps)) return runner.result_;
    // Cumulative: a component Word starts with stays enabled for the next.
    runner.CheckAll(false);
    return runner.result_;
}

std::array<std::string, 5> PutEverythingBack(clsWD& wd, const RunRecord& run) {
    struct Back {
        Part part;
        Op call;
    };
    static constexpr Back kBack[] = {
        {Part::COM, &clsWD::COMRestore},         {Part::Data, &clsWD::DataRestore},
        {Part::Options, &clsWD::OptionsRestore}, {Part::Addins, &clsWD::RestoreAddins},
        {Part::Template, &clsWD::RestoreTemplate},
    };
    std::array<std::string, 5> lines;
    for (const Back& back : kBack) {
        (wd.*back.call)();
        lines[static_cast<size_t>(back.part)] = ResultLine(run, back.part, Done::PutBack, {});
    }
    return lines;
}

}  // namespace engine
