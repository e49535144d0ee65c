// The GUI thread's COM apartment, entered on demand.
#include "base/ComApartment_win.h"

#include <windows.h>
#include <objbase.h>

#include "base/SystemFunction_win.h"

namespace norvanex {

namespace {

enum class Apartment { NotAsked, Entered, Refused };
Apartment apartment = Apartment::NotAsked;

}  // namespace

void EnterComApartment() {
    if (apartment != Apartment::NotAsked) return;
    // CoInitializeEx comes with DCOM: NT 4 has it, Windows 95 only with the DCOM update. Without
    // it, CoInitialize enters the same single-threaded apartment (its documented equivalent).
    using CoInitializeExFn = HRESULT(WINAPI*)(void*, DWORD);
    const auto coInitializeEx = FindSystemFunctionAs<CoInitializeExFn>("ole32.dll", "CoInitializeEx");
    const HRESULT result = coInitializeEx ? coInitializeEx(nullptr, COINIT_APARTMENTTHREADED) : CoInitialize(nullptr);
    // A refusal (another threading model already set on this thread) is not asked again: the
    // thread then works in the apartment it has.
    apartment = SUCCEEDED(result) ? Apartment::Entered : Apartment::Refused;
}

ComApartmentScope::~ComApartmentScope() {
    if (apartment == Apartment::Entered) CoUninitialize();
    apartment = Apartment::NotAsked;
}

}  // namespace norvanex
