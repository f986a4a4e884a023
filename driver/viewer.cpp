#include "viewer.hpp"

#include "overlay.hpp"
#include "png_file.hpp"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace {

constexpr int window_size = 1000;
constexpr int bits_per_pixel = 32;
constexpr Uint32 video_flags = SDL_OPENGL | SDL_RESIZABLE;
constexpr double zoom_step = 1.1;
constexpr Uint32 pause_ms = 20;

/// The first of the files window-1.png, window-2.png, ... of folder that does not exist yet.
std::filesystem::path next_screenshot_file(const std::string& folder)
{
    for (int k = 1;; ++k) {
        const std::filesystem::path file = std::filesystem::path(folder) / ("window-" + std::to_string(k) + ".png");
        if (!std::filesystem::exists(file)) return file;
    }
}

/// Applies the plane's scale, then its offset, to the current matrix.
void place(const plane_view& plane)
{
    const float s = static_cast<float>(plane.scale);
    glScalef(s, s, s);
    glTranslatef(plane.offset[0], plane.offset[1], 0);
}

}  // namespace

window::window()
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        failure_ = "DISPLAY is not set, there is no X display";
        return;
    }
    // Only the X11 driver: SDL must not fall back to a console video driver.
    setenv("SDL_VIDEODRIVER", "x11", 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        failure_ = std::string("SDL cannot start its X11 video: ") + SDL_GetError();
        return;
    }
    SDL_WM_SetCaption("Plisse - Version 3", nullptr);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    if (SDL_SetVideoMode(window_size, window_size, bits_per_pixel, video_flags) == nullptr) {
        failure_ = std::string("no OpenGL window of 1000 x 1000 pixels: ") + SDL_GetError();
        SDL_Quit();
        return;
    }
    if (glGetString(GL_VERSION) == nullptr) {
        failure_ = "the OpenGL context does not work";
        SDL_Quit();
        return;
    }
    open_ = true;
}

window::~window()
{
    if (open_)
        SDL_Quit();
}

void viewer::frame(const resultat& res, const grille& source_grid, const grille& target_grid)
{
    set_projection();
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glPushMatrix();
    glPushMatrix();
    place(source);
    // The cell under the cursor is read before drawing, so that a frame
    // shows the selection of the cursor as it is.
    unproject(source);
    select(res.source_mesh);
    draw_source(res, source_grid);
    glPopMatrix();
    glPushMatrix();
    place(target);
    unproject(target);
    draw_target(res, target_grid);
    glPopMatrix();
    glPopMatrix();
    if (show_help) {
        if (!overlay_) overlay_ = std::make_shared<text_overlay>();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        overlay_->draw(help_lines(res), width, height);
    }
    if (screenshot_asked) {
        write_screenshot();
        screenshot_asked = false;
    }
    SDL_GL_SwapBuffers();
}

void viewer::set_projection() const
{
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const double shorter = std::min(width, height);
    glOrtho(-width / shorter, width / shorter, -height / shorter, height / shorter, -1, 1);
    glMatrixMode(GL_MODELVIEW);
}

void viewer::write_screenshot() const
{
    std::vector<unsigned char> pixels(3u * width * height);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    std::error_code error;
    std::filesystem::create_directories(picture_folder, error);
    const std::filesystem::path file = next_screenshot_file(picture_folder);
    if (write_png(file.string(), width, height, pixels))
        std::cerr << "plisse: the window is written to " << file.string() << std::endl;
    else
        std::cerr << "plisse: cannot write the window to " << file.string() << std::endl;
}

void viewer::draw_source(const resultat& res, const grille& source_grid) const
{
    res.dessine();
    if (show_image_overlaps)
        res.dessine_contre_image_d_image(selected_box);
    if (show_singular_overlaps)
        res.dessine_contre_image_de_singularite();
    source_grid.dessine();
    res.dessine_L_cur();
    res.dessine_courbe_singuliere();
    res.dessine_singular_boundary_v(marker_size * pixel(source.scale));
    res.dessine_cusp_v(marker_size * pixel(source.scale));
    draw_features(source.scale, false);
}

void viewer::draw_target(const resultat& res, const grille& target_grid) const
{
    res.dessine_image(selected_box);
    target_grid.dessine();
    draw_features(target.scale, true);
}

void viewer::unproject(plane_view& plane) const
{
    GLdouble model[16];
    GLdouble projection[16];
    GLint viewport[4];
    GLfloat depth = 0;
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glReadPixels(static_cast<GLint>(cursor[0]), static_cast<GLint>(cursor[1]), 1, 1, GL_DEPTH_COMPONENT,
                 GL_FLOAT, &depth);
    GLdouble x = 0;
    GLdouble y = 0;
    GLdouble z = 0;
    // The window system counts rows from the top, OpenGL from the bottom.
    if (gluUnProject(cursor[0], viewport[3] - cursor[1], depth, model, projection, viewport, &x, &y, &z) ==
        GL_TRUE) {
        plane.point[0] = static_cast<float>(x);
        plane.point[1] = static_cast<float>(y);
        plane.point[2] = static_cast<float>(z);
    }
}

bool viewer::handle(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_QUIT:
        return true;
    case SDL_KEYUP:
        return event.key.keysym.sym == SDLK_ESCAPE;
    case SDL_KEYDOWN:
        switch (event.key.keysym.sym) {
        case SDLK_c:
            show_image_overlaps = !show_image_overlaps;
            break;
        case SDLK_f:
            show_singular_overlaps = !show_singular_overlaps;
            break;
        case SDLK_i:
            marker_mode = !marker_mode;
            break;
        case SDLK_s:
            source_active = true;
            break;
        case SDLK_t:
            source_active = false;
            break;
        case SDLK_h:
            home();
            break;
        case SDLK_p:
            screenshot_asked = true;
            break;
        case SDLK_QUESTION:
        case SDLK_SLASH:
            show_help = !show_help;
            break;
        default:
            break;
        }
        return false;
    case SDL_MOUSEMOTION:
        cursor[0] = event.motion.x;
        cursor[1] = event.motion.y;
        return false;
    case SDL_VIDEORESIZE:
        width = std::max(1, event.resize.w);
        height = std::max(1, event.resize.h);
        return false;
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.button == SDL_BUTTON_WHEELUP || event.button.button == SDL_BUTTON_WHEELDOWN)
            zoom(event.button.button == SDL_BUTTON_WHEELUP);
        else if (event.button.button == SDL_BUTTON_LEFT) {
            active().press[0] = active().point[0];
            active().press[1] = active().point[1];
        }
        return false;
    case SDL_MOUSEBUTTONUP:
        // A drag moves the plane by the cursor's travel, measured in the plane.
        if (event.button.button == SDL_BUTTON_LEFT) {
            plane_view& plane = active();
            plane.offset[0] += plane.point[0] - plane.press[0];
            plane.offset[1] += plane.point[1] - plane.press[1];
        }
        return false;
    default:
        return false;
    }
}

void viewer::zoom(bool up)
{
    double& size = marker_mode ? marker_size : active().scale;
    size = up ? size * zoom_step : size / zoom_step;
}

void viewer::select(const mesh& source_mesh)
{
    domain cell_point;
    cell_point["x"] = interval(source.point[0]);
    cell_point["y"] = interval(source.point[1]);
    selected_box = source_mesh.which_one(cell_point);
}

void viewer::run(const resultat& res, const grille& source_grid, const grille& target_grid)
{
    // The cursor may rest over the window before it first moves.
    int x = 0;
    int y = 0;
    SDL_GetMouseState(&x, &y);
    cursor[0] = x;
    cursor[1] = y;
    for (;;) {
        frame(res, source_grid, target_grid);
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            if (event.type == SDL_VIDEORESIZE)
                SDL_SetVideoMode(event.resize.w, event.resize.h, bits_per_pixel, video_flags);
            if (handle(event))
                return;
        }
        SDL_Delay(pause_ms);
    }
}
