// The HTML page of one help source.
#include "HtmlWriter.h"

#include <map>

namespace norvanex::help {
namespace {

std::string Escape(const std::string& cp1252) {
    std::string out;
    for (char c : Cp1252ToUtf8(cp1252)) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string Fold(const std::string& id) {
    std::string f = id;
    for (char& c : f) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return f;
}

}  // namespace

std::string WriteHtml(const std::vector<Source>& sources, size_t index, const std::vector<std::string>& pages) {
    // Where each topic lives: its page and its id as written.
    std::map<std::string, std::pair<size_t, std::string>> where;
    for (size_t s = 0; s < sources.size(); ++s)
        for (const Topic& t : sources[s].topics) where[Fold(t.id)] = {s, t.id};

    const Source& source = sources[index];
    auto href = [&](const std::string& target) {
        const auto it = where.find(Fold(target));
        if (it == where.end()) return "#" + target;
        const std::string anchor = "#" + it->second.second;
        return it->second.first == index ? anchor : pages[it->second.first] + anchor;
    };
    auto runs = [&](const std::vector<Run>& list) {
        std::string html;
        for (const Run& run : list) {
            if (run.kind == RunKind::Bold) html += "<b>" + Escape(run.text) + "</b>";
            else if (run.kind == RunKind::Link) html += "<a href=\"" + href(run.target) + "\">" + Escape(run.text) + "</a>";
            else html += Escape(run.text);
        }
        return html;
    };

    std::string keywords;
    for (const Topic& t : source.topics) {
        for (const std::string& k : t.keywords) keywords += (keywords.empty() ? "" : ", ") + Escape(k);
    }
    std::string html = "<!DOCTYPE html>\n<html lang=\"" + Escape(source.language.empty() ? "en" : source.language) +
                       "\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + Escape(source.topics.front().title) +
                       "</title>\n";
    if (!keywords.empty()) html += "<meta name=\"keywords\" content=\"" + keywords + "\">\n";
    html +=
        "<style>\n"
        "body { font-family: Arial, Helvetica, sans-serif; font-size: 10pt; max-width: 44em; margin: 1em auto;"
        " padding: 0 1em; line-height: 1.4; }\n"
        "h1 { color: navy; font-size: 14pt; } h2 { color: navy; font-size: 12pt; margin-top: 1.2em; }\n"
        "pre { font-family: \"Courier New\", monospace; background: #f3f3f3; padding: 0.4em 0.6em; }\n"
        "section { border-bottom: 1px solid #ccc; padding-bottom: 1em; }\n"
        "</style>\n</head>\n<body>\n";
    for (const Topic& topic : source.topics) {
        html += "<section id=\"" + topic.id + "\">\n<h1>" + Escape(topic.title) + "</h1>\n";
        bool inList = false;
        for (const Block& block : topic.blocks) {
            if (inList && block.kind != BlockKind::ListItem) {
                html += "</ul>\n";
                inList = false;
            }
            switch (block.kind) {
            case BlockKind::Heading: html += "<h2>" + runs(block.runs) + "</h2>\n"; break;
            case BlockKind::Paragraph: html += "<p>" + runs(block.runs) + "</p>\n"; break;
            case BlockKind::ListItem:
                if (!inList) html += "<ul>\n";
                inList = true;
                html += "<li>" + runs(block.runs) + "</li>\n";
                break;
            case BlockKind::Example: {
                html += "<pre>";
                for (size_t i = 0; i < block.lines.size(); ++i) html += (i ? "\n" : "") + Escape(block.lines[i]);
                html += "</pre>\n";
                break;
            }
            }
        }
        if (inList) html += "</ul>\n";
        html += "</section>\n";
    }
    html += "</body>\n</html>\n";
    return html;
}

}  // namespace norvanex::help
