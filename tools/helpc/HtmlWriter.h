// Writes the topics of one source as a small HTML page, an anchor per context id.
#pragma once

#include <string>
#include <vector>

#include "HelpSource.h"

namespace norvanex::help {

// `pages[i]` is the file name of source i's page, so that links into another language's page
// point there. The page is UTF-8.
std::string WriteHtml(const std::vector<Source>& sources, size_t index, const std::vector<std::string>& pages);

}  // namespace norvanex::help
