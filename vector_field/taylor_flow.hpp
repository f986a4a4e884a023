#pragma once
// Taylor coefficients of the flow of a vector field by Taylor-mode arithmetic:
// the components' trees are compiled once into one node list (children before
// parents) whose variables are state positions, and every node is evaluated
// as a truncated interval Taylor series, one order at a time.

#include "interval.hpp"

#include <string>
#include <vector>

class vector_field;
struct Node;

/// Per state position, the interval Taylor coefficients of orders 0..p.
using state_series = std::vector<std::vector<interval>>;

class taylor_flow {
public:
    /// Compiles the components of field; states are its component names in name order.
    explicit taylor_flow(const vector_field& field);

    /// Why the field has no Taylor expansion ("" when it has one): a variable
    /// that is not a state, a partial-derivative operator, an exponent that
    /// varies with the state.
    const std::string& problem() const { return problem_; }
    int dimension() const { return static_cast<int>(states_.size()); }
    /// State names in position order.
    const std::vector<std::string>& states() const { return states_; }
    /// Position of a state name, -1 for a name that is not a state.
    int position(const std::string& name) const;

    /// Coefficients 0..order of the solutions of x' = F(x) from every x(0) in
    /// x (one interval per state position): coefficient k encloses
    /// x^(k)(0) / k! over x. Unknown coefficients (no expansion) are the whole line.
    state_series series(const std::vector<interval>& x, int order) const;

private:
    struct node {
        char kind;
        int left;
        int right;
        /// The constant of a number, the integer exponent of a power.
        double value;
        /// State position of a variable.
        int state;
        /// Whether the subtree holds no variable (its series is its value).
        bool constant;
        /// First of the node's companion series (cosine of a sine, 1 + u^2 of
        /// an arctangent, u^m of a power) in the companion table.
        int companion;
    };
    class evaluation;

    /// Appends the nodes of one component's tree.
    void compile(const std::vector<Node>& tree);
    int companions_of(const node& n) const;

    std::vector<std::string> states_;
    std::vector<node> nodes_;
    /// Position of each component's root in nodes_, by state position.
    std::vector<int> roots_;
    int companion_count_ = 0;
    std::string problem_;
};
