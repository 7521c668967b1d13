// Opening web pages in the user's browser: the program asks the shell which
// program opens local ".HTM" files and starts that program with the page's
// address, so the page opens in a browser even where addresses themselves
// are bound to something else.
#pragma once

#include "os/Api.h"
#include "platform/Services.h"

#include <string>

namespace platform {

enum class Page {
    OnlineHelp,       // the online help forum
    MakerHome,        // the maker's home page (the main menu's link)
    ProductHome,      // this program's home page (the wizards' Finish)
    WalkThru,         // walk-through of the automatic analyze-and-repair feature
    PromotionHome,    // the closing form's product page
    PromotionOrder,   // the closing form's order page
};

// Every address the program opens.
const std::string& PageAddress(Page page);

// Opens address in the browser; owner is the window of the form that asked.
// Failures are told to the user and the caller goes on.
void OpenWebPage(const Services& services, const std::string& address, os::WindowId owner);
void OpenWebPage(const Services& services, Page page, os::WindowId owner);
void OpenOnlineHelp(const Services& services, os::WindowId owner);

// The current user's Application Data folder; empty when the shell cannot
// name it.
std::string GetAppDataFolder(os::Api& api);

// The throw-away file whose association names the browser, and where it
// goes when the drive root refuses it.
inline constexpr const char* kTempHtmlFile = "C:\\temphtm.HTM";
inline constexpr const char* kTempHtmlName = "temphtm.HTM";

}  // namespace platform
