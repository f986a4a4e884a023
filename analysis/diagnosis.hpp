#pragma once
// Diagnoses of a map over its box, made before the searches: facts proved
// about the exact map that explain why the searches leave candidates
// undecided there. A diagnosis never changes a count.

#include "plisse.hpp"

#include <string>
#include <vector>

/// What a diagnosis establishes.
enum class diagnosis_kind {
    /// The map is not defined on part of the box.
    undefined,
    /// A component takes one value over the whole box.
    constant_component,
    /// The Jacobian determinant is 0 at every point of a region.
    zero_determinant,
    /// At a fold point on an edge, the kernel of the Jacobian is along the edge.
    kernel_along_edge,
};

/// One fact proved about the map, with the place it concerns.
struct diagnosis {
    diagnosis_kind kind;
    /// What it is about: a function ("ln", "/", ...), a component ("f1"),
    /// "det", or an edge ("x = -1").
    std::string subject;
    /// The box of the source plane it concerns (variables x and y).
    domain region;
    /// The fact and what it means for the searches, in one sentence.
    std::string message;
};

/// The name of kind in the results file.
const char* kind_name(diagnosis_kind kind);

/// Every diagnosis of the map of p over the box D: where the map is not
/// defined (one per partial function and argument, on the first box found),
/// its constant components, the regions where det is 0 throughout, and the
/// fold points on the edges of D where the kernel is along the edge.
std::vector<diagnosis> diagnose(const plisse& p, const domain& D);
