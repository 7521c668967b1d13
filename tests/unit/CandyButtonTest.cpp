// The self-painting button's logic: properties, colours, shapes, the input
// state machine and the failures of its window hook.
#include "controls/CandyButton.h"
#include "controls/WindowHook.h"
#include "forms/Form.h"
#include "forms/ScriptedHost.h"
#include "os/emulated/Machine.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

using controls::CandyButton;
using controls::Color;
using Log = std::vector<std::string>;

// What the window showing the button was asked to do.
class FakeWindow : public controls::ButtonWindow {
public:
    void Repaint() override { ++repaints; }
    void ApplyWindowRegion() override { ++regions; }
    bool TrackLeave() override {
        ++tracks;
        return true;
    }
    void Release() override { released = true; }
    int repaints = 0;
    int regions = 0;
    int tracks = 0;
    bool released = false;
};

class Panel : public forms::Form {
public:
    explicit Panel(forms::Host& host, const controls::PropertyBag& bag = {})
        : Form(host, "frmPanel", "Panel", 200, 100), cmdCandy(*this, "cmdCandy", {10, 10, 75, 23}, bag) {}
    CandyButton cmdCandy;
};

// A shown button of 75 x 23 pixels with every event written to a log.
struct World {
    explicit World(bool tracking = true, const controls::PropertyBag& bag = {}) : form(host, bag) {
        CandyButton& b = form.cmdCandy;
        b.Attach(&window);
        b.SetTrackingAvailable(tracking);
        b.OnClick = [this] { log.push_back("Click"); };
        b.OnDblClick = [this] { log.push_back("DblClick"); };
        b.OnMouseEnter = [this] { log.push_back("MouseEnter"); };
        b.OnMouseLeave = [this] { log.push_back("MouseLeave"); };
        auto mouse = [this](const char* name) {
            return [this, name](const controls::MouseArgs& a) {
                log.push_back(std::string(name) + "(" + std::to_string(a.button) + "," + std::to_string(a.x) + "," +
                              std::to_string(a.y) + ")");
            };
        };
        b.OnMouseMove = mouse("MouseMove");
        b.OnMouseUp = mouse("MouseUp");
        b.OnMouseDown = mouse("MouseDown");
    }
    CandyButton& B() { return form.cmdCandy; }

    forms::ScriptedHost host;
    FakeWindow window;  // outlives the button, which tells it when it goes
    Panel form;
    Log log;
};

TEST(CandyButton, LoadsTheDefaultsAndStoresOnlyWhatDiffers) {
    World w;
    CandyButton& b = w.B();
    EXPECT_EQ(b.Caption(), "cmdCandy");
    EXPECT_EQ(b.Kind(), forms::ControlKind::Custom);
    const struct {
        const char* name;
        int64_t got;
        int64_t expected;
    } defaults[] = {
        {"DisplayHand", b.DisplayHand(), 0},          {"Enabled", b.Enabled(), 1},
        {"ColorScheme", b.ColorScheme(), 0},          {"BorderBrightness", b.BorderBrightness(), 0},
        {"IconHighLite", b.IconHighLite(), 0},        {"IconHighLiteColor", b.IconHighLiteColor(), 0x00FF00},
        {"CaptionHighLite", b.CaptionHighLite(), 0},  {"CaptionHighLiteColor", b.CaptionHighLiteColor(), 0x00FF00},
        {"ColorBright", b.ColorBright(), 0xFFEDB0},   {"ColorButtonDown", b.ColorButtonDown(), 0xE99950},
        {"ColorButtonUp", b.ColorButtonUp(), 0xE99950}, {"ColorButtonHover", b.ColorButtonHover(), 0xFFC090},
        {"ForeColor", b.ForeColor(), 0},              {"Picture", b.Picture(), 0},
        {"Checked", b.Checked(), 0},                  {"Style", b.Style(), 0},
        {"PictureAlignment", b.PictureAlignment(), 0},
    };
    for (const auto& d : defaults) EXPECT_EQ(d.got, d.expected) << d.name;
    controls::PropertyBag stored;
    b.WriteProperties(stored);
    EXPECT_TRUE(stored.empty()) << stored.begin()->first;
}

TEST(CandyButton, StoredPropertiesRoundTripAndAreCheckedOnTheWayIn) {
    forms::ScriptedHost host;
    controls::PropertyBag bag = {{"Caption", std::string("&Go")}, {"Style", int64_t{7}},
                                 {"BorderBrightness", int64_t{-150}}, {"ColorButtonHover", int64_t{0x123456}},
                                 {"DisplayHand", true}, {"Checked", true}};
    Panel first(host, bag);
    EXPECT_EQ(first.cmdCandy.Caption(), "&Go");
    EXPECT_EQ(first.cmdCandy.BorderBrightness(), -100);
    EXPECT_TRUE(first.cmdCandy.ShowsHand());
    EXPECT_EQ(first.cmdCandy.PaintedState(), controls::kStateChecked);
    controls::PropertyBag stored;
    first.cmdCandy.WriteProperties(stored);
    bag["BorderBrightness"] = int64_t{-100};
    EXPECT_EQ(stored, bag);

    // A scheme alone brings its colours; out-of-range values fall back.
    Panel second(host, {{"ColorScheme", int64_t{4}}, {"Style", int64_t{9}}, {"PictureAlignment", int64_t{-1}}});
    EXPECT_EQ(second.cmdCandy.ColorButtonUp(), 0x000080u);
    EXPECT_EQ(second.cmdCandy.Style(), 0);
    EXPECT_EQ(second.cmdCandy.PictureAlignment(), 0);
}

TEST(CandyButton, SchemesSetTheirFourColours) {
    const struct {
        int scheme;
        Color up, hover, down, bright;
    } schemes[] = {
        {1, 0xD06720, 0xE99950, 0xA06710, 0xFFEDB0}, {2, 0xD09060, 0xE06000, 0xA98050, 0xFFFAFA},
        {3, 0x800000, 0xA00000, 0xF00000, 0xFF0000}, {4, 0x000080, 0x0000A0, 0x0000F0, 0x0000FF},
        {5, 0x008000, 0x00A000, 0x00C000, 0x00FF00}, {6, 0x008080, 0x00A0A0, 0x00C0C0, 0x00FFFF},
    };
    for (const auto& s : schemes) {
        SCOPED_TRACE(s.scheme);
        World w;
        w.B().SetColorScheme(s.scheme);
        EXPECT_EQ(w.B().ColorScheme(), s.scheme);
        EXPECT_EQ(w.B().ColorButtonUp(), s.up);
        EXPECT_EQ(w.B().ColorButtonHover(), s.hover);
        EXPECT_EQ(w.B().ColorButtonDown(), s.down);
        EXPECT_EQ(w.B().ColorBright(), s.bright);
    }
    // 0 and any other value leave the colours alone.
    for (int other : {0, 7, -1}) {
        SCOPED_TRACE(other);
        World w;
        w.B().SetColorScheme(5);
        w.B().SetColorScheme(other);
        EXPECT_EQ(w.B().ColorButtonUp(), 0x008000u);
        EXPECT_EQ(w.B().ColorScheme(), other == 0 ? 0 : 5);
    }
}

TEST(CandyButton, SettingAnyOfTheFourColoursPutsTheSchemeBackToZero) {
    const struct {
        const char* name;
        std::function<void(CandyButton&)> set;
        std::function<Color(const CandyButton&)> get;
    } colours[] = {
        {"ColorButtonUp", [](CandyButton& b) { b.SetColorButtonUp(0x010203); }, &CandyButton::ColorButtonUp},
        {"ColorButtonHover", [](CandyButton& b) { b.SetColorButtonHover(0x010203); }, &CandyButton::ColorButtonHover},
        {"ColorButtonDown", [](CandyButton& b) { b.SetColorButtonDown(0x010203); }, &CandyButton::ColorButtonDown},
        {"ColorBright", [](CandyButton& b) { b.SetColorBright(0x010203); }, &CandyButton::ColorBright},
    };
    std::function<Color(const CandyButton&)> all[] = {&CandyButton::ColorButtonUp, &CandyButton::ColorButtonHover,
                                                      &CandyButton::ColorButtonDown, &CandyButton::ColorBright};
    const Color scheme3[] = {0x800000, 0xA00000, 0xF00000, 0xFF0000};
    for (const auto& c : colours) {
        SCOPED_TRACE(c.name);
        World w;
        w.B().SetColorScheme(3);
        c.set(w.B());
        EXPECT_EQ(w.B().ColorScheme(), 0);
        EXPECT_EQ(c.get(w.B()), 0x010203u);
        int kept = 0;
        for (int i = 0; i < 4; ++i) kept += all[i](w.B()) == scheme3[i];
        EXPECT_EQ(kept, 3) << "the other three keep the scheme's colours";
    }
}

TEST(CandyButton, BorderBrightnessIsClampedAndMovesTheBorder) {
    for (auto [set, stored] : {std::pair{150, 100}, {-150, -100}, {37, 37}, {100, 100}}) {
        SCOPED_TRACE(set);
        World w;
        w.B().SetBorderBrightness(set);
        EXPECT_EQ(w.B().BorderBrightness(), stored);
    }
    World w;
    w.B().SetBorderBrightness(50);
    EXPECT_EQ(w.B().BorderColor(0x000000), 0x7F7F7Fu);
    w.B().SetBorderBrightness(-100);
    EXPECT_EQ(w.B().BorderColor(0x123456), 0x000000u);
}

TEST(CandyButton, BlendColorsUsesIntegerArithmeticPerChannel) {
    const struct {
        Color a, b;
        int percentage;
        Color expected;
    } cases[] = {
        {0x000000, 0xFFFFFF, 50, 0x7F7F7F},
        {0x0000FF, 0x000000, 1, 0x0000FD},  // 255 - 255/100 truncated toward zero: 253, not 252
        {0x102030, 0x302010, 50, 0x202020},  // channels move independently, some down, some up
        {0x000000, 0xFFFFFF, 150, 0xFFFFFF},  // clamped to 100
        {0xABCDEF, 0x000000, -5, 0xABCDEF},   // clamped to 0
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.a << " " << c.b << " " << std::dec << c.percentage);
        EXPECT_EQ(controls::BlendColors(c.a, c.b, c.percentage), c.expected);
    }
}

TEST(CandyButton, SystemColoursAreTranslatedBeforeTheyAreSplit) {
    std::vector<int> asked;
    auto system = [&asked](int index) -> Color {
        asked.push_back(index);
        return 0x102030;
    };
    controls::Rgb rgb = controls::GetRGB(0x8000000F, system);
    EXPECT_EQ(asked, std::vector<int>{15});
    EXPECT_EQ(rgb.r, 0x30);
    EXPECT_EQ(rgb.g, 0x20);
    EXPECT_EQ(rgb.b, 0x10);
    EXPECT_EQ(controls::BlendColors(0x8000000F, 0x102030, 100, system), 0x102030u);
    World w;
    w.B().SystemColor = system;
    EXPECT_EQ(w.B().BlendColors(0x80000012, 0xFFFFFF, 0), 0x102030u);
}

TEST(CandyButton, CornerRadiusPerStyleWithItsClamps) {
    const struct {
        int style, width, height, dpi, radius;
    } cases[] = {
        {0, 75, 23, 96, 0},  {1, 75, 23, 96, 0},                       // plain rectangles
        {2, 75, 23, 96, 12}, {4, 75, 23, 96, 12}, {5, 75, 23, 96, 12},  // h/2 + 1
        {2, 20, 23, 96, 10},                                            // at most w/2
        {5, 1, 23, 96, 1},                                              // at least 1
        {3, 75, 23, 96, 12}, {3, 10, 10, 96, 12}, {3, 75, 35, 144, 18},  // fixed, scaled with DPI
        {6, 75, 23, 96, 7},  {6, 12, 23, 96, 4},  {6, 75, 2, 96, 1},     // h/3 within 1..w/3
        {7, 75, 23, 96, 6},  {7, 16, 23, 96, 4},  {7, 3, 23, 96, 1},     // h/4 + 1 within 1..w/4
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << c.style << " " << c.width << "x" << c.height << " @" << c.dpi);
        EXPECT_EQ(controls::CornerRadius(c.style, c.width, c.height, c.dpi), c.radius);
    }
}

TEST(CandyButton, FaceColourFollowsTheStateAndDisabledIsGrey) {
    World w;
    w.B().SetColorScheme(1);
    EXPECT_EQ(w.B().FaceColor(controls::kStateNormal), 0xD06720u);
    EXPECT_EQ(w.B().FaceColor(controls::kStateFocused), 0xD06720u);
    EXPECT_EQ(w.B().FaceColor(controls::kStateHover), 0xE99950u);
    EXPECT_EQ(w.B().FaceColor(controls::kStatePressed), 0xA06710u);
    EXPECT_EQ(w.B().FaceColor(controls::kStateChecked), 0xA06710u);
    w.B().SetEnabled(false);
    EXPECT_EQ(w.B().FaceColor(controls::kStateHover), controls::kDisabledFace);
}

TEST(CandyButton, PropertiesRepaintOrOnlyStoreAsEachShould) {
    const struct {
        const char* name;
        std::function<void(CandyButton&)> set;
        bool changed, repaint, region;
    } cases[] = {
        {"DisplayHand", [](CandyButton& b) { b.SetDisplayHand(true); }, false, false, false},
        {"IconHighLite", [](CandyButton& b) { b.SetIconHighLite(true); }, true, false, false},
        {"CaptionHighLiteColor", [](CandyButton& b) { b.SetCaptionHighLiteColor(1); }, true, false, false},
        {"ColorScheme", [](CandyButton& b) { b.SetColorScheme(2); }, true, true, false},
        {"Checked", [](CandyButton& b) { b.SetChecked(true); }, true, true, false},
        {"Style unchanged", [](CandyButton& b) { b.SetStyle(0); }, false, false, false},
        {"Style", [](CandyButton& b) { b.SetStyle(3); }, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        World w;
        c.set(w.B());
        EXPECT_EQ(w.B().PropertiesChanged(), c.changed);
        EXPECT_EQ(w.window.repaints > 0, c.repaint);
        EXPECT_EQ(w.window.regions > 0, c.region);
    }
    World late;
    late.B().SetDisplayHand(true);
    EXPECT_FALSE(late.B().ShowsHand()) << "the pointer is settled at load";
}

// What the window reports, in the button's own pixels (it is 75 x 23).
enum class In { Move, MoveEdge, MoveHeld, MoveHeldOutside, Down, Up, Click, DblClick, EnterDown, EnterUp, SpaceUp,
                Focus, Blur, Leave };

void Feed(CandyButton& b, In in) {
    using namespace controls;
    switch (in) {
        case In::Move: b.MouseMove(0, 0, 10, 10); break;
        case In::MoveEdge: b.MouseMove(0, 0, 0, 10); break;
        case In::MoveHeld: b.MouseMove(kLeftButton, 0, 10, 10); break;
        case In::MoveHeldOutside: b.MouseMove(kLeftButton, 0, 80, 10); break;
        case In::Down: b.MouseDown(kLeftButton, 0, 10, 10); break;
        case In::Up: b.MouseUp(kLeftButton, 0, 10, 10); break;
        case In::Click: b.Click(); break;
        case In::DblClick: b.DblClick(); break;
        case In::EnterDown: b.KeyDown(kKeyReturn, 0); break;
        case In::EnterUp: b.KeyUp(kKeyReturn, 0); break;
        case In::SpaceUp: b.KeyUp(32, 0); break;
        case In::Focus: b.GotFocus(); break;
        case In::Blur: b.LostFocus(); break;
        case In::Leave: b.MouseLeave(); break;
    }
}

TEST(CandyButton, InputMovesTheStatesAndRaisesTheEventsInOrder) {
    const struct {
        const char* name;
        bool tracking;
        std::vector<In> inputs;
        std::string states;  // the state painted after each input
        Log events;
    } cases[] = {
        {"a click with the mouse over it", true, {In::Move, In::Down, In::Up, In::Click, In::Leave}, "31332",
         {"MouseMove(0,10,10)", "MouseEnter", "MouseDown(1,10,10)", "MouseUp(1,10,10)", "Click", "MouseLeave"}},
        {"no tracking: no hover", false, {In::Move, In::Leave, In::Down, In::Up}, "0012",
         {"MouseMove(0,10,10)", "MouseDown(1,10,10)", "MouseUp(1,10,10)"}},
        {"the edge is not inside", true, {In::MoveEdge}, "0", {"MouseMove(0,0,10)"}},
        {"hover only without a held button", true, {In::MoveHeld}, "0", {"MouseMove(1,10,10)"}},
        {"entered once", true, {In::Move, In::Move}, "33", {"MouseMove(0,10,10)", "MouseEnter", "MouseMove(0,10,10)"}},
        {"dragged out and released", true, {In::Move, In::Down, In::MoveHeldOutside, In::Up}, "3102",
         {"MouseMove(0,10,10)", "MouseEnter", "MouseDown(1,10,10)", "MouseMove(1,80,10)", "MouseUp(1,10,10)"}},
        {"Enter is a click at (0, 0)", true, {In::EnterDown, In::EnterUp}, "12",
         {"MouseDown(1,0,0)", "MouseUp(1,0,0)", "Click"}},
        {"other keys do nothing", true, {In::SpaceUp}, "0", {}},
        {"an Enter pressed elsewhere clicks nothing", true, {In::EnterUp}, "0", {}},
        {"an Enter whose button lost the focus clicks nothing", true, {In::EnterDown, In::Blur, In::EnterUp}, "100",
         {"MouseDown(1,0,0)"}},
        {"focus", true, {In::Focus, In::Blur}, "20", {}},
        {"focus under the mouse keeps the hover", true, {In::Move, In::Focus, In::Leave}, "332",
         {"MouseMove(0,10,10)", "MouseEnter", "MouseLeave"}},
        {"double click", true, {In::Down, In::Up, In::Click, In::DblClick, In::Up}, "12212",
         {"MouseDown(1,10,10)", "MouseUp(1,10,10)", "Click", "DblClick", "MouseUp(1,10,10)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        World w(c.tracking);
        std::string states;
        for (In in : c.inputs) {
            Feed(w.B(), in);
            states += std::to_string(w.B().PaintedState());
        }
        EXPECT_EQ(states, c.states);
        EXPECT_EQ(w.log, c.events);
    }
}

TEST(CandyButton, TrackingIsAskedOncePerEntry) {
    World w;
    for (In in : {In::Move, In::Move, In::Leave, In::Move}) Feed(w.B(), in);
    EXPECT_EQ(w.window.tracks, 2);
}

const std::vector<In> kEveryInput = {In::Move,     In::MoveHeld, In::MoveHeldOutside, In::Down,  In::Up,
                                     In::Click,    In::DblClick, In::EnterDown,       In::EnterUp, In::Focus,
                                     In::Leave,    In::Blur,     In::MoveEdge};

TEST(CandyButton, ACheckedButtonPaintsCheckedWhateverHappens) {
    World w(true, {{"Checked", true}});
    for (In in : kEveryInput) {
        SCOPED_TRACE(static_cast<int>(in));
        Feed(w.B(), in);
        EXPECT_EQ(w.B().PaintedState(), controls::kStateChecked);
    }
    EXPECT_EQ(w.log.size(), 13u) << "a checked button still raises its events";
    w.B().SetChecked(false);
    EXPECT_EQ(w.B().PaintedState(), controls::kStateNormal);
}

TEST(CandyButton, ADisabledButtonIgnoresInputAndRaisesNothing) {
    World w;
    w.B().SetEnabled(false);
    int repaints = w.window.repaints;
    for (In in : kEveryInput) Feed(w.B(), in);
    EXPECT_EQ(w.log, Log{});
    EXPECT_EQ(w.window.repaints, repaints);
    EXPECT_FALSE(w.B().HasFocus() || w.B().MouseOver());
    EXPECT_EQ(w.window.tracks, 0);
}

TEST(CandyButton, AMouseThatLeftWhileDisabledIsGoneWhenEnabledAgain) {
    World w;
    Feed(w.B(), In::Move);
    w.B().SetEnabled(false);
    Feed(w.B(), In::Leave);
    w.B().SetEnabled(true);
    Feed(w.B(), In::Focus);
    EXPECT_EQ(w.B().PaintedState(), controls::kStateFocused);
    EXPECT_EQ(w.log, (Log{"MouseMove(0,10,10)", "MouseEnter"})) << "no MouseLeave while disabled";
}

TEST(CandyButton, TheWindowIsToldWhenTheButtonGoes) {
    FakeWindow window;
    forms::ScriptedHost host;
    {
        Panel form(host);
        form.cmdCandy.Attach(&window);
        EXPECT_EQ(CandyButton::From(form.cmdCandy), &form.cmdCandy);
    }
    EXPECT_TRUE(window.released);
    Panel other(host);
    forms::Control plain(other, "cmdPlain", forms::ControlKind::Custom, {0, 0, 10, 10});
    EXPECT_EQ(CandyButton::From(plain), nullptr);
}

// The hook's bookkeeping over a system that a test plays.
class FakeSystem : public controls::WindowHook::System {
public:
    bool IsWindow(std::uintptr_t window) override { return window != 13; }
    bool IsOwnProcess(std::uintptr_t window) override { return window != 66; }
    bool Install(std::uintptr_t window, uint32_t* error) override {
        if (window == 5) {
            *error = 1400;
            return false;
        }
        installed.insert(window);
        return true;
    }
    void Remove(std::uintptr_t window) override { installed.erase(window); }
    std::set<std::uintptr_t> installed;
};

TEST(CandyButtonHook, FailuresNameTheirRoutineAndSayWhatWentWrong) {
    using controls::When;
    const struct {
        const char* name;
        std::function<bool(controls::WindowHook&)> act;
        const char* routine;
        const char* message;
    } cases[] = {
        {"invalid", [](auto& h) { return h.Subclass(13); }, "sc_Subclass", "Invalid window handle"},
        {"null", [](auto& h) { return h.Subclass(0); }, "sc_Subclass", "Invalid window handle"},
        {"foreign", [](auto& h) { return h.Subclass(66); }, "sc_Subclass", "Window handle belongs to another process"},
        {"twice", [](auto& h) { return h.Subclass(1) && h.Subclass(1); }, "sc_Subclass",
         "Window handle is already subclassed"},
        {"refused", [](auto& h) { return h.Subclass(5); }, "sc_Subclass", "SetWindowLong failed, error #1400"},
        {"unhooked", [](auto& h) { return h.UnSubclass(2); }, "sc_UnSubclass", "Window handle isn't subclassed"},
        {"not started", [](auto& h) { return h.AddMsg(1, 512, When::After); }, "zMap_hWnd",
         "Subclassing hasn't been started"},
        {"other window", [](auto& h) { return h.Subclass(1) && h.AddMsg(2, 512, When::After); }, "zMap_hWnd",
         "Window handle isn't subclassed"},
        {"full",
         [](auto& h) {
             bool ok = h.Subclass(1);
             for (int m = 0; ok && m <= 32; ++m) ok = h.AddMsg(1, 0x400 + m, When::Before);
             return ok;
         },
         "zAddMsg",
         "Message table overflow. Either increase the value of Const MSG_ENTRIES or use ALL_MESSAGES instead of "
         "specific message values"},
        {"absent", [](auto& h) { return h.Subclass(1) && h.DelMsg(1, 0x2A3, When::After); }, "zDelMsg",
         "Message &H2A3 not found in table"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSystem system;
        Log failures;
        controls::WindowHook hook(system, [&](const std::string& routine, const std::string& message) {
            failures.push_back(routine + ": " + message);
        });
        EXPECT_FALSE(c.act(hook));
        EXPECT_EQ(failures, Log{std::string(c.routine) + ": " + c.message});
    }
}

TEST(CandyButtonHook, TablesChooseTheMessagesAndHooksComeOff) {
    using controls::When;
    FakeSystem system;
    Log failures;
    {
        controls::WindowHook hook(system, [&](const std::string& r, const std::string&) { failures.push_back(r); });
        ASSERT_TRUE(hook.Subclass(1) && hook.Subclass(2));
        EXPECT_TRUE(hook.AddMsg(1, 15, When::Before));
        EXPECT_TRUE(hook.AddMsg(2, controls::kAllMessages, When::After));
        EXPECT_TRUE(hook.Wants(1, 15, When::Before));
        EXPECT_FALSE(hook.Wants(1, 15, When::After));
        EXPECT_FALSE(hook.Wants(1, 512, When::Before));
        EXPECT_TRUE(hook.Wants(2, 512, When::After) && hook.Wants(2, 675, When::After));
        EXPECT_TRUE(hook.DelMsg(1, 15, When::Before));
        EXPECT_FALSE(hook.Wants(1, 15, When::Before));
        EXPECT_TRUE(hook.UnSubclass(1));
        EXPECT_EQ(system.installed, (std::set<std::uintptr_t>{2}));
    }
    EXPECT_TRUE(system.installed.empty()) << "the hooks left come off with the hook";
    EXPECT_EQ(failures, Log{});
}

TEST(CandyButtonHook, AFailureIsShownAndLogged) {
    forms::ScriptedHost host;
    os::emulated::Machine machine;
    controls::ReportHookFailure(host, machine, "Quorvex", "sc_UnSubclass", "Window handle isn't subclassed");
    ASSERT_EQ(host.Boxes().size(), 1u);
    EXPECT_EQ(host.Boxes()[0].caption, "Error in CandyButton.sc_UnSubclass");
    EXPECT_EQ(host.Boxes()[0].text, "Window handle isn't subclassed.");
    EXPECT_EQ(host.Boxes()[0].style, forms::vbExclamation);
    ASSERT_EQ(machine.EventLog().size(), 1u);
    EXPECT_EQ(machine.EventLog()[0].source, "Quorvex");
    EXPECT_EQ(machine.EventLog()[0].type, 1) << "an error entry";
    EXPECT_EQ(machine.EventLog()[0].message, "CandyButton.sc_UnSubclass: Window handle isn't subclassed");
}

}  // namespace
