// The help file's index topics: their context ids and the map numbers that HELP_CONTEXT opens.
#pragma once

namespace norvanex {

// Context ids of the two index topics in Norvanex.hlp (and the anchors of the HTML pages).
constexpr const char* kHelpTopicIndex = "hlp_index";     // German
constexpr const char* kHelpTopicIndexE = "hlp_index_e";  // English

// Map numbers of the same topics. The help sources (resources/help/) assign them and the
// tests read them back from the built file; they never change once released, because a viewer
// opened by number from an older program must still find its topic.
constexpr unsigned kHelpMapIndex = 1000;   // hlp_index, German
constexpr unsigned kHelpMapIndexE = 2000;  // hlp_index_e, English

}  // namespace norvanex
