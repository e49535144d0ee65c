// Where the about box's links lead, and its title line.
#include "ui/InfoLayout.h"

namespace norvanex {

std::string WebPageTarget(std::string_view site, std::string_view homePage) {
    std::string target(site);
    while (!target.empty() && target.back() == '/') target.pop_back();
    target += "/redir/prog.php?url=";
    target.append(homePage);
    return target;
}

std::string MailTarget(std::string_view address) {
    std::string target = "mailto:";
    target.append(address);
    return target;
}

std::string TitleWithVersion(std::string_view title, std::string_view version) {
    std::string text(title);
    if (!version.empty()) {
        text += ' ';
        text.append(version);
    }
    return text;
}

}  // namespace norvanex
