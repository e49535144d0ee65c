// Fuzzes the help source parser and, for what it accepts, the writers: whatever compiles must read
// back as the same topics.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "HelpSource.h"
#include "HlpWriter.h"
#include "HtmlWriter.h"
#include "hlp/HlpReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace norvanex::help;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Source source;
    std::string error;
    if (!ParseSource(text, "fuzz", source, error)) {
        if (error.rfind("fuzz:", 0) != 0) std::abort();  // every refusal names its line
        return 0;
    }
    const std::vector<Source> sources{source};
    if (!CheckSources(sources, error)) return 0;
    for (const Topic& t : source.topics) {
        if (!IsValidContextId(t.id) || t.title.empty()) std::abort();
        for (const Block& b : t.blocks) {
            for (const Run& r : b.runs) {
                if (r.text.empty()) std::abort();
            }
        }
    }
    WriteHtml(sources, 0, {"page.html"});
    std::vector<std::uint8_t> file;
    if (!WriteHlp(sources, {"Fuzz", ""}, file, error)) return 0;
    norvanex::hlptest::HlpFile read;
    if (!norvanex::hlptest::ReadHlp(file, read, error)) std::abort();
    if (read.topics.size() != source.topics.size()) std::abort();
    for (std::size_t i = 0; i < read.topics.size(); ++i) {
        if (read.topics[i].title != source.topics[i].title) std::abort();
        if (read.contexts.at(ContextHash(source.topics[i].id)) != read.topics[i].offset) std::abort();
    }
    return 0;
}
