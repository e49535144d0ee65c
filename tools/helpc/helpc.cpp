// helpc: compiles the help sources into Norvanex.hlp and one HTML page per source.
//   helpc OUT.hlp TITLE SOURCE PAGE.html [SOURCE PAGE.html ...]
// The first topic of the first source opens when no topic is asked for.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "HelpSource.h"
#include "HlpWriter.h"
#include "HtmlWriter.h"

namespace {

bool ReadFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return true;
}

bool WriteFile(const std::string& path, const void* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    return static_cast<bool>(out);
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace norvanex::help;
    if (argc < 5 || (argc - 3) % 2 != 0) {
        std::cerr << "usage: helpc OUT.hlp TITLE SOURCE PAGE.html [SOURCE PAGE.html ...]\n";
        return 2;
    }
    std::vector<Source> sources;
    std::vector<std::string> pagePaths, pageNames;
    for (int i = 3; i < argc; i += 2) {
        std::string text;
        if (!ReadFile(argv[i], text)) {
            std::cerr << "helpc: cannot read " << argv[i] << "\n";
            return 1;
        }
        Source source;
        std::string error;
        if (!ParseSource(text, argv[i], source, error)) {
            std::cerr << error << "\n";
            return 1;
        }
        sources.push_back(source);
        pagePaths.push_back(argv[i + 1]);
        pageNames.push_back(BaseName(argv[i + 1]));
    }
    std::string error;
    if (!CheckSources(sources, error)) {
        std::cerr << error << "\n";
        return 1;
    }
    HlpOptions options;
    std::string bad;
    if (!Utf8ToCp1252(argv[2], options.title, bad)) {
        std::cerr << "helpc: the title holds " << bad << ", which code page 1252 lacks\n";
        return 1;
    }
    std::vector<uint8_t> hlp;
    if (!WriteHlp(sources, options, hlp, error)) {
        std::cerr << "helpc: " << error << "\n";
        return 1;
    }
    if (!WriteFile(argv[1], hlp.data(), hlp.size())) {
        std::cerr << "helpc: cannot write " << argv[1] << "\n";
        return 1;
    }
    for (size_t i = 0; i < sources.size(); ++i) {
        const std::string html = WriteHtml(sources, i, pageNames);
        if (!WriteFile(pagePaths[i], html.data(), html.size())) {
            std::cerr << "helpc: cannot write " << pagePaths[i] << "\n";
            return 1;
        }
    }
    return 0;
}
