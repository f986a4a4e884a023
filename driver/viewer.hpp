#pragma once
// The interactive window: the source plane and the target plane drawn
// superimposed, each panned and zoomed on its own, and a cursor that selects
// a cell of the paving.

#include "features.hpp"
#include "grille.hpp"
#include "resultat.hpp"

#include <SDL.h>

#include <memory>
#include <string>
#include <vector>

class text_overlay;

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

/// A rectangle of a plane's coordinates: what the plane shows when framed.
struct plane_extent {
    double x_low = -1;
    double x_high = 1;
    double y_low = -1;
    double y_high = 1;
};

/// The rectangle of box over the variables x and y.
plane_extent extent_of(const domain& box, const char* x, const char* y);
/// The rectangle of the points of grid g and of the image points of features.
plane_extent extent_of(const grille& g, const std::vector<feature>& features);
/// Scale and offset that show extent centred in a window of width × height
/// pixels, over 90% of the window along its tighter direction.
void frame_plane(plane_view& plane, const plane_extent& extent, int width, int height);

/// View state and event handling of the interactive window.
class viewer {
public:
    plane_view source;
    plane_view target;
    /// Window size in pixels.
    int width = 1000;
    int height = 1000;
    /// Half the side, in window pixels, of the markers of cusps and fold–boundary points.
    double marker_size = 3;
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
    /// The help over the planes: the keys, the colours, the active plane and the pointed cell.
    bool show_help = false;
    /// The proved features, marked in both planes at a fixed size on screen.
    std::vector<feature> features;
    /// What each plane shows when framed on its content.
    plane_extent source_extent;
    plane_extent target_extent;
    /// The folder of the pictures, where p writes the window.
    std::string picture_folder = "output";
    /// Whether the next frame is to be written to a PNG file.
    bool screenshot_asked = false;

    /// Frames both planes on their content, for the window's size.
    void home();
    /// Selects the cell holding the source point of the cursor.
    void select(const mesh& source_mesh);
    /// The lines of the help: the keys, the colours, and the status line.
    std::vector<std::string> help_lines(const resultat& res) const;

    /// Reads the cursor's position in each plane and selects the cell under
    /// it, draws both planes into the current OpenGL context (and writes the
    /// window to a PNG file when asked), and swaps the buffers.
    void frame(const resultat& res, const grille& source_grid, const grille& target_grid);
    /// Applies one event to the view state; true on a quit request.
    bool handle(const SDL_Event& event);
    /// Frames and events, with a 20 ms pause whenever the queue is empty,
    /// until a quit request; a resized window gets a video mode of its size.
    void run(const resultat& res, const grille& source_grid, const grille& target_grid);

private:
    plane_view& active() { return source_active ? source : target; }
    /// One wheel step: up multiplies by 1.1, down divides.
    void zoom(bool up);
    /// The viewport and the projection of the window's size: a plane point p
    /// goes to scale · (p + offset) in units of the window's shorter half side.
    void set_projection() const;
    /// Writes what was drawn to the next free file window-N.png of picture_folder.
    void write_screenshot() const;
    void draw_source(const resultat& res, const grille& source_grid) const;
    void draw_target(const resultat& res, const grille& target_grid) const;
    /// The cursor position in the coordinates of the plane drawn last.
    void unproject(plane_view& plane) const;
    /// Plane units per window pixel in a plane drawn at scale.
    double pixel(double scale) const;
    /// The features' markers in the plane drawn at scale, at their source points or at their images.
    void draw_features(double scale, bool images) const;
    /// The line telling the active plane and the pointed cell with its box and image.
    std::string status_line(const resultat& res) const;

    /// Opened at the first help shown.
    std::shared_ptr<text_overlay> overlay_;
};
