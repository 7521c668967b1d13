#include "TidyLayout.h"

#include "forms/ControlRules.h"
#include "forms/Grid.h"

#include <gtest/gtest.h>

namespace qvxtest {

namespace {

bool Overlap(const forms::Rect& a, const forms::Rect& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

bool StackedPages(const forms::Control& a, const forms::Control& b) {
    const forms::Rect& x = a.Bounds();
    const forms::Rect& y = b.Bounds();
    return a.Kind() == forms::ControlKind::Frame && b.Kind() == forms::ControlKind::Frame && x.left == y.left &&
           x.top == y.top && x.width == y.width && x.height == y.height;
}

}  // namespace

std::string Shown(const std::string& caption) {
    std::string out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i;
        out += caption[i];
    }
    return out;
}

std::map<char, std::vector<std::string>> AccessKeys(const forms::Form& form, bool onScreenOnly) {
    std::map<char, std::vector<std::string>> keys;
    for (const forms::Control* c : form.Controls()) {
        const char key = forms::AccessKey(c->Caption());
        if (key != 0 && (!onScreenOnly || forms::IsOnScreen(*c))) keys[key].push_back(c->Name());
    }
    return keys;
}

void ExpectTidyLayout(const forms::Form& form) {
    namespace grid = forms::grid;
    SCOPED_TRACE(form.Name());
    for (const forms::Control* c : form.Controls()) {
        SCOPED_TRACE(c->Name() + "[" + std::to_string(c->Index()) + "]");
        const forms::Rect& r = c->Bounds();
        const forms::Control* in = c->Container();
        const int width = in ? in->Bounds().width : form.ClientWidth();
        const int height = in ? in->Bounds().height : form.ClientHeight();
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.left + r.width <= width && r.top + r.height <= height);
        if (c->Kind() == forms::ControlKind::Button) {
            EXPECT_EQ(r.width, Shown(c->Caption()) == "Online Help" ? grid::kWideButtonWidth : grid::kButtonWidth);
            EXPECT_EQ(r.height, grid::kButtonHeight);
        }
        for (const forms::Control* other : form.Controls()) {
            if (other != c && other->Container() == in && !StackedPages(*c, *other)) {
                EXPECT_FALSE(Overlap(r, other->Bounds())) << other->Name() << "[" << other->Index() << "]";
            }
        }
    }
    for (const auto& [key, users] : AccessKeys(form, false))
        EXPECT_EQ(1u, users.size()) << "access key " << key << " used by " << ::testing::PrintToString(users);
}

}  // namespace qvxtest
