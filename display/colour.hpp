#pragma once
// A colour as the drawings of the results give it: red, green and blue from 0 to 1.

struct colour {
    double r, g, b;
};
