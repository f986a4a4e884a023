#pragma once
// The interval Newton operator of a square system.

#include "map.hpp"

#include <iostream>

class newton {
public:
    Map system;
    expression_matrix jacobian;

    newton() = default;
    explicit newton(const Map& f);
    /// The system (Map::out), then its Jacobian.
    void out(std::ostream& os = std::cout) const;
    /// N(X) = c - J(X)^-1 f(c); the entire box when a component is unbounded,
    /// empty or has a NaN bound.
    domain operator_newton(const domain& X) const;
};
