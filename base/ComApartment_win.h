// COM on the GUI thread, entered at the first call that needs it instead of at start.
#pragma once

namespace norvanex {

// Enters the single-threaded apartment that the shell's dialogs, its link object and its verbs
// need, once per process; later calls return at once. ole32 is bound at this first call (a
// delay-load import), so neither the editor's first picture nor a kill run waits for it.
void EnterComApartment();

// Leaves the apartment at the end of its scope when EnterComApartment entered it meanwhile.
// WinMain holds one around its windows.
class ComApartmentScope {
public:
    ComApartmentScope() = default;
    ~ComApartmentScope();
    ComApartmentScope(const ComApartmentScope&) = delete;
    ComApartmentScope& operator=(const ComApartmentScope&) = delete;
};

}  // namespace norvanex
