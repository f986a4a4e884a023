#pragma once
// The interval Newton operator of a square system.

#include "map.hpp"

#include <iostream>

class newton {
public:
    // The system and its Jacobian matrix, fixed at construction: the operator
    // runs programs compiled from them then.
    const Map system{};
    const expression_matrix jacobian{};

    newton() = default;
    explicit newton(const Map& f);
    /// The system (Map::out), then its Jacobian.
    void out(std::ostream& os = std::cout) const;
    /// N(X) = c - J(X)^-1 f(c); the entire box when a component is unbounded,
    /// empty or has a NaN bound.
    domain operator_newton(const domain& X) const;
    /// Whether every partial function of the system and of its Jacobian has
    /// its argument inside its domain over the whole of X.
    bool defined_on(const domain& X) const;

private:
    /// The components, in the order of the Jacobian's rows.
    compiled_program values_;
    /// The Jacobian's entries, row by row.
    compiled_program derivatives_;
};
