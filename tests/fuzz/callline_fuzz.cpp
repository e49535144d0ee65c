// Fuzzes the call line as a shortcut's arguments bring it: the reader, the close marker, and the
// editor's load and write, which must give back a line that the kill run reads the same way.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "app/CallLine.h"
#include "app/Shortcut.h"

namespace {

// A double-byte code page in miniature: 0x81 to 0x9F lead, any byte but the terminator trails.
bool LeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0x9F; }
const char* DoubleByteNext(const char* p) {
    if (*p == '\0') return p;
    return LeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0' ? p + 2 : p + 1;
}
const char* SingleByteNext(const char* p) { return *p == '\0' ? p : p + 1; }
bool NoLeadByte(unsigned char) { return false; }

}  // namespace

// The first byte chooses the code page; the rest, up to a null, is the line.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool doubleByte = (data[0] & 1) != 0;
    const norvanex::CharNextFn next = doubleByte ? DoubleByteNext : SingleByteNext;
    const norvanex::LeadByteFn lead = doubleByte ? LeadByte : NoLeadByte;
    std::string line(reinterpret_cast<const char*>(data + 1), size - 1);
    line = line.substr(0, line.find('\0'));

    const norvanex::CallRead read = norvanex::ReadCallLine(line, next);
    if (read.closeSeconds < 0 || read.closeSeconds > norvanex::kMaxCloseSeconds) std::abort();
    if (!read.close && read.closeSeconds != 0) std::abort();
    if (static_cast<int>(read.names.size()) > read.paramCount) std::abort();

    // What the editor loads (it checks that the kill run reads it back the same) it writes back,
    // and loading that again changes nothing.
    const std::optional<norvanex::CallRequest> loaded = norvanex::LoadableRequest(line, lead, next);
    if (!loaded) return 0;
    const std::string written = norvanex::ComposeCallLine(*loaded, lead);
    const std::optional<norvanex::CallRequest> again = norvanex::LoadableRequest(written, lead, next);
    if (!again || norvanex::ComposeCallLine(*again, lead) != written) std::abort();
    return 0;
}
