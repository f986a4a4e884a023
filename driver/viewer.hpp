#pragma once
// The interactive window: the source plane and the target plane drawn
// superimposed, each panned and zoomed on its own, and a cursor that selects
// a cell of the paving.

#include "grille.hpp"
#include "resultat.hpp"

#include <SDL.h>

#include <string>

/// The SDL window with its double-buffered OpenGL surface; closed on destruction.
class window {
public:
    /// Opens the window, or records why it cannot be opened. Without an X
    /// display SDL is not even started, so that it never falls back to a
    /// text-mode video driver that would take over the terminal.
    window();
    ~window();
    window(const window&) = delete;
    window& operator=(const window&) = delete;

    bool is_open() const { return open_; }
    /// Why the window could not be opened (empty when it is open).
    const std::string& failure() const { return failure_; }

private:
    bool open_ = false;
    std::string failure_;
};

/// Placement of one plane in the window, and the cursor read in its coordinates.
struct plane_view {
    /// Uniform scale of the plane.
    double scale = 0.2;
    /// Translation of the plane, in its own coordinates (applied inside the scale).
    float offset[2] = {0, 0};
    /// The cursor unprojected into the plane, recomputed every frame.
    float point[3] = {0, 0, 0};
    /// The plane point at the last left-button press.
    float press[2] = {0, 0};
};

/// View state and event handling of the interactive window.
class viewer {
public:
    plane_view source;
    plane_view target;
    /// Size handed to the marker drawings of cusps and fold–boundary points.
    double marker_size = 0.001;
    /// Which plane the mouse acts on: true for the source plane.
    bool source_active = true;
    bool show_image_overlaps = false;
    bool show_singular_overlaps = false;
    /// The wheel changes the marker size instead of the active plane's scale.
    bool marker_mode = false;
    /// Cell of the paving under the cursor, as the paving locates it (may lie outside the paving).
    int selected_box = 0;
    /// Last mouse position in window pixels, origin top left.
    double cursor[2] = {0, 0};

    /// Draws both planes into the current OpenGL context, reads the cursor's
    /// position in each plane, and swaps the buffers.
    void frame(const resultat& res, const grille& source_grid, const grille& target_grid);
    /// Applies one event to the view state; true on a quit request.
    bool handle(const SDL_Event& event, const mesh& source_mesh);
    /// Frames and events, with a 20 ms pause whenever the queue is empty,
    /// until a quit request.
    void run(const resultat& res, const grille& source_grid, const grille& target_grid);

private:
    plane_view& active() { return source_active ? source : target; }
    /// One wheel step: up multiplies by 1.1, down divides.
    void zoom(bool up);
    /// Selects the cell holding the source point of the last frame.
    void select(const mesh& source_mesh);
    void draw_source(const resultat& res, const grille& source_grid) const;
    void draw_target(const resultat& res, const grille& target_grid) const;
    /// The cursor position in the coordinates of the plane drawn last.
    void unproject(plane_view& plane) const;
};
