#pragma once
// The results record of one analysis, with its drawing operations.

#include "iboolean.hpp"
#include "mesh.hpp"

#include <iostream>
#include <utility>
#include <vector>

using box_pair = std::pair<domain, domain>;
using coded_pair = std::pair<box_pair, int>;
/// Lists of cell indices.
using components = std::vector<std::vector<int>>;

class resultat {
public:
    mesh source_mesh;
    mesh boundary_mesh;
    std::vector<iboolean> verdicts;
    std::vector<iboolean> other_verdicts;
    std::vector<bool> flags;
    std::vector<box_pair> L_cur_pairs;
    std::vector<int> singular_indices;
    std::vector<int> fold_indices;
    std::vector<std::vector<int>> singular_overlaps;
    std::vector<domain> images;
    std::vector<domain> boundary_images;
    std::vector<std::vector<int>> image_overlaps;
    std::vector<std::vector<int>> boundary_overlaps;
    std::vector<components> cc_image_overlaps;
    std::vector<components> fr_cc_image_overlaps;
    std::vector<components> cc_boundary_overlaps;
    std::vector<components> fr_cc_boundary_overlaps;
    std::vector<bool> meets_boundary_image;
    std::vector<std::vector<bool>> fr_cc_boundary_flags;
    std::vector<domain> cusps;
    std::vector<std::pair<domain, int>> cusp_boxes;
    std::vector<box_pair> fold_fold_pairs;
    std::vector<box_pair> boundary_boundary_pairs;
    std::vector<coded_pair> boundary_boundary_coded;
    std::vector<box_pair> fold_boundary_pairs;
    std::vector<coded_pair> fold_boundary_coded;
    std::vector<domain> fold_boxes;
    /// Boxes the cusp search left undecided: set aside, not reached, or holding
    /// a cusp not told apart from one already counted.
    std::vector<domain> cusp_undecided;
    /// Pairs of fold boxes the fold–fold search left open when it stopped.
    std::vector<box_pair> fold_fold_undecided;

    void dessine() const;
    void dessine(int k) const;
    void dessine_bord(int k) const;
    void dessine_bord() const;
    void dessine_courbe_singuliere() const;
    void dessine_L_cur() const;
    void dessine_cusp_v(double e) const;
    void dessine_cusp() const;
    void dessine_singular_boundary_v(double e) const;
    void dessine_singular_boundary() const;
    void dessine_singular_singular_v() const;
    void dessine_boundary_boundary() const;
    void dessine_boundary_boundary_v(const mesh& m) const;
    void dessine_image(int k) const;
    void dessine_contre_image_d_image(int k) const;
    void dessine_contre_image_du_bord(int k) const;
    void dessine_contre_image_du_bord() const;
    void dessine_contre_image_de_singularite(int k) const;
    void dessine_contre_image_de_singularite() const;
    void dessine_cc_contre_image_d_image(int k) const;
    void dessine_fr_cc_contre_image_d_image(int k) const;
    void dessine_cc_contre_image_du_bord(int k) const;
    void dessine_fr_cc_contre_image_du_bord(int k) const;
    /// Console listing of the cells with their verdicts.
    void out(std::ostream& os = std::cout) const;
};
