#pragma once
// Helpers of the expression tests: compact descriptions of node vectors,
// parsing with captured standard output, and a high-precision reference value
// of a tree at a point.

#include "expression.hpp"
#include "mpfr_reference.hpp"
#include "tree_reference.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

/// One word per node: position, kind, payload (value or name) and children,
/// e.g. "3:*(1,2)". A node whose index field is not its position gets a '!'.
inline std::string shape(const std::vector<Node>& tree)
{
    std::ostringstream os;
    for (int i = 0; i < static_cast<int>(tree.size()); ++i) {
        const Node& n = tree[i];
        if (i > 0) os << ' ';
        os << i << ':' << n.kind;
        if (n.kind == 'r') os << n.value;
        if (n.kind == 'V' || n.kind == 'p') os << n.name;
        if (n.left != -1) os << '(' << n.left;
        if (n.right != -1) os << ',' << n.right;
        if (n.left != -1) os << ')';
        if (n.index != i) os << '!';
    }
    return os.str();
}

/// Everything the action wrote to standard output.
template <class Action>
std::string standard_output_of(Action action)
{
    testing::internal::CaptureStdout();
    action();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

/// The expression parsed from text, and what parsing wrote to standard output.
struct parsed {
    expression e;
    std::string output;
};

inline parsed parse(const std::string& text)
{
    parsed p;
    p.output = standard_output_of([&] { p.e = expression(text); });
    return p;
}

