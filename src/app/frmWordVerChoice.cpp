#include "app/frmWordVerChoice.h"

#include "app/Context.h"
#include "forms/Grid.h"
#include "app/Settings.h"
#include "app/frmWdVersion.h"
#include "engine/WordVersions.h"

#include <algorithm>

namespace app {

namespace {
using namespace forms::grid;
constexpr int kWidth = 420;
constexpr int kInner = kWidth - 2 * kMargin;
constexpr int kOptionLeft = kMargin + kFrameInset;
constexpr int kButtonsTop = 242;
constexpr int kNewerTop = 114 + 2 * kOptionStep;

// The options of the newer versions, by key.
constexpr struct {
    const char* version;
    const char* caption;
} kNewerCaptions[] = {
    {engine::kWord2007, "Word 200&7"},
    {engine::kWord2010, "Word 201&0"},
    {engine::kWord2013, "Word 201&3"},
    {engine::kWord2016, "Word 2016 or &later (also known as Microsoft 365)"},
};
constexpr const char* kAnyNewer = "Word 2007 or &later";
// Chosen when no newer Word was found: the newest profile.
constexpr const char* kAnyNewerVersion = engine::kWord2016;

forms::ControlArray NewerOptions(forms::Form& form, const std::vector<InstalledWord>& words) {
    forms::ControlArray options;
    auto add = [&](const char* caption) {
        const int top = kNewerTop + static_cast<int>(options.Count()) * kOptionStep;
        options.Add(form, "optNewer", forms::ControlKind::Option, {kOptionLeft, top, kInner - kFrameInset, kLine},
                    caption);
    };
    for (const InstalledWord& word : words)
        for (const auto& newer : kNewerCaptions)
            if (word.version == newer.version) add(newer.caption);
    if (options.Count() == 0) add(kAnyNewer);
    return options;
}

// How far the options below the newer ones move down.
int Shift(const std::vector<InstalledWord>& words) {
    return static_cast<int>(std::max<size_t>(words.size(), 1)) * kOptionStep;
}
}  // namespace

frmWordVerChoice::frmWordVerChoice(Context& ctx)
    : Form(ctx.Host(), "frmWordVerChoice", "Quorvex", kWidth,
           kButtonsTop + Shift(ctx.NewerWords()) + kButtonHeight + kMargin),
      newerWords(ctx.NewerWords()),
      lblFolderName(*this, "lblFolderName", K::Label, {kMargin, kMargin, kInner, 38},
                    "Choosing your version of MS Word installed on your computer"),
      Label1(*this, "Label1", K::Label, {kMargin, 55, kInner, 30},
             "Please select the version of Microsoft Word installed on your computer."),
      Label2(*this, "Label2", K::Label, {kMargin, 91, kInner, kLine},
             "I would like to use the following version of MS Word:"),
      optWd10(*this, "optWd10", K::Option, {kOptionLeft, 114, kInner - kFrameInset, kLine},
              "Word &10 (also known as Word2002)"),
      optXP(*this, "optXP", K::Option, {kOptionLeft, 114 + kOptionStep, kInner - kFrameInset, kLine},
            "Word &XP (also known as Word XP or Word 2003)"),
      optNewer(NewerOptions(*this, newerWords)),
      optNotSure(*this, "optNotSure", K::Option,
                 {kOptionLeft, kNewerTop + Shift(newerWords), kInner - kFrameInset, kLine},
                 "&I'm not sure what version I have installed"),
      chkNoShow(*this, "chkNoShow", K::Check, {kMargin, 189 + Shift(newerWords), kInner, kLine},
                "&Do not show this dialog again"),
      Label4(*this, "Label4", K::Label, {kMargin, 214 + Shift(newerWords), kInner, kLine},
             "Click Next to Continue or Cancel to exit Quorvex"),
      btnOK(*this, "btnOK", K::Button, ButtonFromRight(kWidth, kButtonsTop + Shift(newerWords), 1), "&Next"),
      btnCancel(*this, "btnCancel", K::Button, ButtonFromRight(kWidth, kButtonsTop + Shift(newerWords), 0),
                "Cancel"),
      ctx_(ctx) {
    MakeHeading(lblFolderName, kSubHeadingGrow);
    optNotSure.SetValue(true);
    btnOK.OnClick = [this] { btnOK_Click(); };
    btnCancel.OnClick = [this] { btnCancel_Click(); };
    DefaultButton = &btnOK;
    // Esc is not bound to Cancel: Cancel ends the whole program, too much
    // for a stray key.
    CancelButton = nullptr;
}

void frmWordVerChoice::btnOK_Click() {
    std::string& version = ctx_.CurrentWordVersion();
    if (optWd10.Value()) version = engine::kWord2002;
    if (optXP.Value()) version = engine::kWord2003;
    for (size_t i = 0; i < optNewer.Count(); ++i)
        if (optNewer[i].Value()) version = i < newerWords.size() ? newerWords[i].version : kAnyNewerVersion;
    if (optNotSure.Value()) {
        ctx_.frmWdVersion().ShowModal();
        return;
    }
    Settings settings(ctx_.Api());
    settings.Save(kSectionSettings, kKeyWordVersion, version);
    settings.Save(kSectionSettings, kKeyDetectNoShow, chkNoShow.Value() ? "True" : "False");
    Hide();
}

forms::Control* frmWordVerChoice::OptionOf(const std::string& version) {
    if (version == engine::kWord2002) return &optWd10;
    if (version == engine::kWord2003) return &optXP;
    for (size_t i = 0; i < newerWords.size() && i < optNewer.Count(); ++i)
        if (newerWords[i].version == version) return &optNewer[i];
    return nullptr;
}

void frmWordVerChoice::btnCancel_Click() { ctx_.Host().End(); }

}  // namespace app
