#pragma once
// Three-valued truth values for interval tests.

enum IBOOLEAN { itrue = 0, ifalse = 1, iperhaps = 2, iempty = 3 };

class iboolean {
public:
    IBOOLEAN value;

    /// perhaps
    iboolean() : value(iperhaps) {}
    iboolean(bool b) : value(b ? itrue : ifalse) {}
    iboolean(IBOOLEAN v) : value(v) {}
};

bool operator==(iboolean a, iboolean b);
bool operator!=(iboolean a, iboolean b);
/// false if either is false; true if both are true; perhaps otherwise.
iboolean operator&&(iboolean a, iboolean b);
/// true if either is true; false if neither is perhaps; perhaps otherwise.
iboolean operator||(iboolean a, iboolean b);
/// true <-> false; perhaps and empty give perhaps.
iboolean operator!(iboolean a);
/// Two answers to the same question combined: empty for true with false.
iboolean Inter(iboolean a, iboolean b);
