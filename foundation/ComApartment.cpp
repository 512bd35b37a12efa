#include "foundation/ComApartment.h"

#include <objbase.h>

namespace {

thread_local bool t_bEntered = false;

} // namespace

bool EnterComApartment()
{
    if (t_bEntered)
        return true;
    t_bEntered = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    return t_bEntered;
}

void LeaveComApartment()
{
    if (!t_bEntered)
        return;
    CoUninitialize();
    t_bEntered = false;
}
