// What every form of the program must look like, checked without a window:
// the texts the user reads and a tidy layout on the one grid.
#pragma once

#include "forms/Form.h"

#include <map>
#include <string>
#include <vector>

namespace qvxtest {

// A caption as the user reads it: an access key's "&" vanishes, "&&" shows
// as "&".
std::string Shown(const std::string& caption);

// The access keys of the form's controls (only of those on screen, if
// asked), each with the controls that use it.
std::map<char, std::vector<std::string>> AccessKeys(const forms::Form& form, bool onScreenOnly);

// Each control inside its container, no two controls of one container on top
// of each other (pages stacked at one place excepted), buttons of the grid's
// size ("Online Help" the wide one), no access key used twice on the form.
void ExpectTidyLayout(const forms::Form& form);

}  // namespace qvxtest
