// Overlap lists: which cells have images that meet the image of a cell or of a
// boundary piece, found through a spatial index over the image boxes.

#include "box_index.hpp"
#include "plisse.hpp"

namespace {

/// The image boxes as rectangles over their two components.
std::vector<rectangle> image_rectangles(const std::vector<domain>& images)
{
    return rectangles(images, "y0", "y1");
}

}  // namespace

void plisse::relation()
{
    const std::vector<rectangle> cells = image_rectangles(res.images);
    const box_index cell_index(cells);
    const box_index piece_index(image_rectangles(res.boundary_images));
    for (const rectangle& cell : cells) {
        res.image_overlaps.push_back(cell_index.meeting(cell));
        res.meets_boundary_image.push_back(piece_index.meets_any(cell));
    }
}

void plisse::relation2()
{
    const std::vector<rectangle> cells = image_rectangles(res.images);
    const box_index cell_index(cells);
    for (const rectangle& piece : image_rectangles(res.boundary_images)) {
        res.boundary_overlaps.push_back(cell_index.meeting(piece));
    }
    for (const int k : res.singular_indices) {
        if (k >= 0 && k < static_cast<int>(cells.size())) res.singular_overlaps.push_back(cell_index.meeting(cells[k]));
    }
}
