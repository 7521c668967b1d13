#include "platform/WebPages.h"

#include "os/Handles.h"

#include <array>
#include <utility>

namespace platform {

namespace {

const std::array<std::pair<Page, std::string>, 6>& PageTable() {
    static const std::array<std::pair<Page, std::string>, 6> table = {{
        {Page::OnlineHelp, "https://www.quorvex.example/forum/"},
        {Page::MakerHome, "https://www.quorvex.example/"},
        {Page::ProductHome, "https://www.quorvex.example/qvxfix/"},
        {Page::WalkThru, "https://www.quorvex.example/qvxfix/walkthru/"},
        {Page::PromotionHome, "https://www.quorvex.example/products/"},
        {Page::PromotionOrder, "https://www.quorvex.example/products/order/"},
    }};
    return table;
}

// Written as the runtime writes a quoted text field.
constexpr char kTempHtmlContent[] = "\"<HTML> <\\HTML>\"\r\n";

constexpr std::intptr_t kShellErrorLimit = 32;  // codes up to this one are failures

bool WriteTempHtml(os::Api& api, const std::string& path) {
    os::UniqueHandle file(api, api.CreateFile(path, os::GenericWrite, 0, os::CreateAlways));
    if (!file) return false;
    uint32_t written = 0;
    api.WriteFile(file.get(), kTempHtmlContent, sizeof kTempHtmlContent - 1, &written);
    return true;
}

// Creates the throw-away file and removes it again when the page is done
// with, whatever way that goes.
class TempHtml {
public:
    explicit TempHtml(os::Api& api) : api_(api), path_(kTempHtmlFile) {
        if (WriteTempHtml(api_, path_)) return;
        // The drive root may refuse writes (or there is no drive C:): the
        // user's temporary folder always takes them.
        std::string temp = api_.GetTempPath();
        if (!temp.empty() && temp.back() != '\\') temp += '\\';
        std::string fallback = temp + kTempHtmlName;
        if (!temp.empty() && WriteTempHtml(api_, fallback)) path_ = fallback;
    }
    ~TempHtml() { api_.DeleteFile(path_); }
    TempHtml(const TempHtml&) = delete;
    TempHtml& operator=(const TempHtml&) = delete;
    const std::string& Path() const { return path_; }

private:
    os::Api& api_;
    std::string path_;
};

std::string TrimBlanks(std::string text) {
    size_t nul = text.find('\0');
    if (nul != std::string::npos) text.erase(nul);
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

}  // namespace

const std::string& PageAddress(Page page) {
    for (const auto& [which, address] : PageTable())
        if (which == page) return address;
    return PageTable().front().second;
}

void OpenWebPage(const Services& services, const std::string& address, os::WindowId owner) {
    os::Api& api = services.api;
    TempHtml temp(api);
    std::string browser;
    std::intptr_t found = api.FindExecutable(temp.Path(), "", &browser);
    browser = TrimBlanks(browser);
    if (found <= kShellErrorLimit || browser.empty()) {
        services.user.Tell("Could not find associated Browser", Mark::Exclamation, "Browser Not Found");
        return;
    }
    if (api.ShellExecute(owner, "open", browser, address, "", os::SwShowNormal) <= kShellErrorLimit) {
        services.user.Tell("Web Page not Opened", Mark::Exclamation, "URL Failed");
    }
}

void OpenWebPage(const Services& services, Page page, os::WindowId owner) {
    OpenWebPage(services, PageAddress(page), owner);
}

void OpenOnlineHelp(const Services& services, os::WindowId owner) {
    OpenWebPage(services, PageAddress(Page::OnlineHelp), owner);
}

std::string GetAppDataFolder(os::Api& api) {
    std::string path;
    if (!api.GetSpecialFolderPath(os::CsidlAppData, &path)) return {};
    size_t nul = path.find('\0');
    if (nul != std::string::npos) path.erase(nul);
    return path;
}

}  // namespace platform
