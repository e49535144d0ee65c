// Writes help topics as an uncompressed Windows help file (format 4.0, 4 KB topic blocks).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "HelpSource.h"

namespace norvanex::help {

struct HlpOptions {
    std::string title;            // the file's title (code page 1252)
    std::string contentsTopic;    // context id of the topic opened when none is asked for
};

// Builds the file from the topics of all sources in order. Fails (with `error`) only where the
// format cannot hold the input: a paragraph longer than a topic block, more than 65535 map
// numbers, or a title or keyword longer than a B+ tree page.
bool WriteHlp(const std::vector<Source>& sources, const HlpOptions& options, std::vector<uint8_t>& out,
              std::string& error);

}  // namespace norvanex::help
