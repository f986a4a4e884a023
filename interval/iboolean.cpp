#include "iboolean.hpp"

bool operator==(iboolean a, iboolean b) { return a.value == b.value; }

bool operator!=(iboolean a, iboolean b) { return !(a == b); }

iboolean operator&&(iboolean a, iboolean b)
{
    if (a.value == ifalse || b.value == ifalse) return ifalse;
    if (a.value == itrue && b.value == itrue) return itrue;
    return iperhaps;
}

iboolean operator||(iboolean a, iboolean b)
{
    if (a.value == itrue || b.value == itrue) return itrue;
    if (a.value != iperhaps && b.value != iperhaps) return ifalse;
    return iperhaps;
}

iboolean operator!(iboolean a)
{
    if (a.value == itrue) return ifalse;
    if (a.value == ifalse) return itrue;
    return iperhaps;
}

// The tests run in this order, so only (true, false) is a contradiction:
// (false, true) gives true.
iboolean Inter(iboolean a, iboolean b)
{
    if (a.value == itrue && b.value == ifalse) return iempty;
    if (a.value == itrue || b.value == itrue) return itrue;
    if (a.value == ifalse || b.value == ifalse) return ifalse;
    return iperhaps;
}
