// The GUI thread's COM apartment, entered on demand.
#include "base/ComApartment_win.h"

#include <windows.h>
#include <objbase.h>

namespace norvanex {

namespace {

enum class Apartment { NotAsked, Entered, Refused };
Apartment apartment = Apartment::NotAsked;

}  // namespace

void EnterComApartment() {
    if (apartment != Apartment::NotAsked) return;
    // A refusal (another threading model already set on this thread) is not asked again: the
    // thread then works in the apartment it has.
    apartment = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) ? Apartment::Entered : Apartment::Refused;
}

ComApartmentScope::~ComApartmentScope() {
    if (apartment == Apartment::Entered) CoUninitialize();
    apartment = Apartment::NotAsked;
}

}  // namespace norvanex
