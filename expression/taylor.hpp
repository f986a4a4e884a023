#pragma once
// Taylor coefficient records: per variable, interval coefficients in time.

#include "domain.hpp"

#include <iostream>
#include <map>
#include <string>
#include <vector>

class taylor {
public:
    /// coefficients[v][k] encloses the coefficient of t^k of variable v.
    std::map<std::string, std::vector<interval>> coefficients;

    taylor() = default;
    /// Every variable of box with its interval as coefficient 0.
    explicit taylor(const domain& box);
    /// Per variable, the sum of coefficient_k * h^k.
    domain evaluate(const interval& h) const;
    /// Per variable: a line "name: ", then "k:interval," for every coefficient.
    void out(std::ostream& os = std::cout) const;
};
