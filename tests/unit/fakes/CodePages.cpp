// Lead-byte ranges of the double-byte ANSI code pages, from their CPINFO.
#include "fakes/CodePages.h"

namespace norvanex::fake {
namespace {

bool Lead932(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool Lead936949950(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

}  // namespace

LeadByteFn LeadBytesOf(unsigned codePage) {
    switch (codePage) {
        case 932: return Lead932;
        case 936:
        case 949:
        case 950: return Lead936949950;
        default: return NoLeadBytes;
    }
}

namespace {

struct Pair {
    char16_t wide;
    unsigned char lead, trail;
};
constexpr Pair kKnownPairs[] = {
    {u'日', 0x93, 0xFA}, {u'本', 0x96, 0x7B}, {u'表', 0x95, 0x5C}, {u'中', 0x92, 0x86},
    {u'国', 0x8D, 0x91},
};
constexpr char16_t kMadeUpBase = 0x5000;

}  // namespace

std::u16string DecodeAnsi(unsigned codePage, const std::string& ansi) {
    const LeadByteFn lead = LeadBytesOf(codePage);
    std::u16string wide;
    for (std::size_t i = 0; i < ansi.size(); ++i) {
        const auto b = static_cast<unsigned char>(ansi[i]);
        if (lead(b) && i + 1 < ansi.size()) {
            const auto t = static_cast<unsigned char>(ansi[++i]);
            char16_t c = static_cast<char16_t>(kMadeUpBase + ((b - 0x81) << 8) + t);
            for (const Pair& p : kKnownPairs) {
                if (p.lead == b && p.trail == t) c = p.wide;
            }
            wide.push_back(c);
        } else {
            wide.push_back(b);
        }
    }
    return wide;
}

std::string EncodeAnsi(unsigned codePage, std::u16string_view wide, bool noBestFit,
                       bool* usedDefault) {
    const bool doubleByte = LeadBytesOf(codePage) != NoLeadBytes;
    if (usedDefault) *usedDefault = false;
    std::string ansi;
    for (const char16_t c : wide) {
        if (c < (doubleByte ? 0x80 : 0x100)) {
            ansi.push_back(static_cast<char>(c));
            continue;
        }
        bool found = false;
        if (doubleByte) {
            for (const Pair& p : kKnownPairs) {
                if (p.wide == c) {
                    ansi += {static_cast<char>(p.lead), static_cast<char>(p.trail)};
                    found = true;
                }
            }
            const unsigned offset = c - kMadeUpBase;
            if (!found && c >= kMadeUpBase && offset < 0x7F00) {
                ansi += {static_cast<char>(0x81 + (offset >> 8)), static_cast<char>(offset & 0xFF)};
                found = true;
            }
        }
        if (found) continue;
        if (!noBestFit && (c == u'ā' || c == u'Ω')) {
            ansi.push_back(c == u'ā' ? 'a' : 'O');
            continue;
        }
        ansi.push_back('?');
        if (usedDefault) *usedDefault = true;
    }
    return ansi;
}

const char* SingleByteNext(const char* p) { return *p ? p + 1 : p; }

bool TestLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0x9F; }

const char* DoubleByteNext(const char* p) {
    if (*p == '\0') return p;
    return TestLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0' ? p + 2 : p + 1;
}

}  // namespace norvanex::fake
