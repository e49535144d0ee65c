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

}  // namespace norvanex::fake
