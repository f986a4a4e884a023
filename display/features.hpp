#pragma once
// The proved features of one analysis, each with the box of its image point,
// numbered as the results file lists them.

#include "map.hpp"
#include "resultat.hpp"

#include <string>
#include <vector>

/// The kinds of proved features, in the order of the results file.
enum class feature_kind { cusp, fold_fold, boundary_boundary, fold_boundary_crossing, fold_boundary_point };

/// One proved feature.
struct feature {
    feature_kind kind = feature_kind::cusp;
    /// Position among the features of its kind, from 1 (the results file's order).
    int number = 1;
    /// The source box: the cusp's, the first point's of a crossing, the fold
    /// point's of a fold–boundary crossing, or the point where the fold meets the boundary.
    domain first;
    /// The other source point of a crossing; empty for a cusp and for a point
    /// where the fold meets the boundary.
    domain second;
    /// A box (variables y0, y1) holding the image point.
    domain image;
};

/// Whether a fold–boundary entry is a point where the fold curve itself meets
/// the boundary (one box recorded twice) rather than a crossing of the images
/// (a fold box and a boundary box apart from each other).
bool is_fold_boundary_point(const box_pair& pair);

/// Every proved feature of res, kind after kind in the results file's order,
/// with its image box under f.
std::vector<feature> proved_features(const resultat& res, const Map& f);

/// The short label of a feature in the pictures: C (cusp), FF (fold–fold),
/// BB (boundary–boundary), FB (fold–boundary crossing) or P (fold meets
/// boundary), followed by its number.
std::string feature_label(const feature& ft);
