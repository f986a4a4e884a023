#include "viewer.hpp"

#include <gtest/gtest.h>

namespace {

SDL_Event key(Uint8 type, SDLKey sym)
{
    SDL_Event e{};
    e.type = type;
    e.key.type = type;
    e.key.keysym.sym = sym;
    return e;
}

SDL_Event button(Uint8 type, Uint8 which)
{
    SDL_Event e{};
    e.type = type;
    e.button.type = type;
    e.button.button = which;
    return e;
}

SDL_Event motion(Uint16 x, Uint16 y)
{
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.type = SDL_MOUSEMOTION;
    e.motion.x = x;
    e.motion.y = y;
    return e;
}

/// The viewer over the driver's 25 x 25 paving of [-0.2, 0.33] x [-0.7, 0.61].
class Viewer : public ::testing::Test {
protected:
    viewer view;
    mesh paving;

    void SetUp() override
    {
        domain box;
        box["x"] = interval(-0.2, 0.33);
        box["y"] = interval(-0.7, 0.61);
        paving = mesh(box, 25);
    }

    bool send(const SDL_Event& e) { return view.handle(e); }
};

TEST_F(Viewer, StartsOnTheSourcePlaneWithTheInitialView)
{
    EXPECT_EQ(view.source.scale, 0.2);
    EXPECT_EQ(view.target.scale, 0.2);
    EXPECT_EQ(view.marker_size, 3);
    EXPECT_TRUE(view.source_active);
    EXPECT_FALSE(view.show_image_overlaps || view.show_singular_overlaps || view.marker_mode);
    EXPECT_EQ(view.selected_box, 0);
}

TEST_F(Viewer, KeysCFAndIToggleWhileSAndTSelectThePlane)
{
    EXPECT_FALSE(send(key(SDL_KEYDOWN, SDLK_c)));
    EXPECT_FALSE(send(key(SDL_KEYDOWN, SDLK_f)));
    EXPECT_FALSE(send(key(SDL_KEYDOWN, SDLK_i)));
    EXPECT_TRUE(view.show_image_overlaps && view.show_singular_overlaps && view.marker_mode);
    send(key(SDL_KEYDOWN, SDLK_c));
    send(key(SDL_KEYDOWN, SDLK_f));
    send(key(SDL_KEYDOWN, SDLK_i));
    EXPECT_FALSE(view.show_image_overlaps || view.show_singular_overlaps || view.marker_mode);

    send(key(SDL_KEYDOWN, SDLK_t));
    send(key(SDL_KEYDOWN, SDLK_t));
    EXPECT_FALSE(view.source_active);
    send(key(SDL_KEYDOWN, SDLK_s));
    send(key(SDL_KEYDOWN, SDLK_s));
    EXPECT_TRUE(view.source_active);

    // Releases of these keys and other keys change nothing.
    send(key(SDL_KEYUP, SDLK_c));
    send(key(SDL_KEYDOWN, SDLK_x));
    send(key(SDL_KEYDOWN, SDLK_ESCAPE));
    EXPECT_FALSE(view.show_image_overlaps);
    EXPECT_TRUE(view.source_active);
}

TEST_F(Viewer, EscapeQuitsOnReleaseAndSoDoesClosingTheWindow)
{
    EXPECT_FALSE(send(key(SDL_KEYDOWN, SDLK_ESCAPE)));
    EXPECT_FALSE(send(key(SDL_KEYUP, SDLK_q)));
    EXPECT_TRUE(send(key(SDL_KEYUP, SDLK_ESCAPE)));
    SDL_Event close{};
    close.type = SDL_QUIT;
    EXPECT_TRUE(send(close));
}

TEST_F(Viewer, WheelZoomsTheActivePlaneOrInMarkerModeOnlyTheMarkers)
{
    send(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELUP));
    EXPECT_DOUBLE_EQ(view.source.scale, 0.2 * 1.1);
    EXPECT_EQ(view.target.scale, 0.2);

    send(key(SDL_KEYDOWN, SDLK_t));
    send(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELDOWN));
    EXPECT_DOUBLE_EQ(view.target.scale, 0.2 / 1.1);
    EXPECT_DOUBLE_EQ(view.source.scale, 0.2 * 1.1);

    send(key(SDL_KEYDOWN, SDLK_i));
    send(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELUP));
    send(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELUP));
    send(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELDOWN));
    EXPECT_DOUBLE_EQ(view.marker_size, 3 * 1.1 * 1.1 / 1.1);
    EXPECT_DOUBLE_EQ(view.target.scale, 0.2 / 1.1);
    EXPECT_DOUBLE_EQ(view.source.scale, 0.2 * 1.1);

    // Wheel releases and other buttons do not zoom.
    send(button(SDL_MOUSEBUTTONUP, SDL_BUTTON_WHEELUP));
    send(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT));
    EXPECT_DOUBLE_EQ(view.marker_size, 3 * 1.1);
}

TEST_F(Viewer, LeftDragMovesTheActivePlaneByTheTravelOfItsPoint)
{
    view.source.point[0] = 1.0f;
    view.source.point[1] = 2.0f;
    send(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT));
    view.source.point[0] = 1.5f;
    view.source.point[1] = 1.0f;
    send(button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT));
    EXPECT_FLOAT_EQ(view.source.offset[0], 0.5f);
    EXPECT_FLOAT_EQ(view.source.offset[1], -1.0f);

    // A release without moving leaves the plane where it is.
    send(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT));
    send(button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT));
    EXPECT_FLOAT_EQ(view.source.offset[0], 0.5f);
    EXPECT_FLOAT_EQ(view.source.offset[1], -1.0f);

    send(key(SDL_KEYDOWN, SDLK_t));
    view.target.point[0] = -1.0f;
    send(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT));
    view.target.point[0] = 2.0f;
    send(button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT));
    EXPECT_FLOAT_EQ(view.target.offset[0], 3.0f);
    EXPECT_FLOAT_EQ(view.source.offset[0], 0.5f);
}

TEST_F(Viewer, MotionMovesTheCursorAndTheSourcePointSelectsItsCell)
{
    EXPECT_FALSE(send(motion(12, 34)));
    EXPECT_EQ(view.cursor[0], 12);
    EXPECT_EQ(view.cursor[1], 34);
    // Centre of the cell in column 3, row 20; the source plane selects whichever plane is active.
    view.source.point[0] = static_cast<float>(-0.2 + 3.5 * 0.53 / 25);
    view.source.point[1] = static_cast<float>(-0.7 + 20.5 * 1.31 / 25);
    send(key(SDL_KEYDOWN, SDLK_t));
    view.select(paving);
    EXPECT_EQ(view.selected_box, 3 * 25 + 20);
}

TEST_F(Viewer, SelectionOutsideTheBoxIsKeptAsThePavingLocatesIt)
{
    domain right_of_box;
    right_of_box["x"] = interval(0.5);
    right_of_box["y"] = interval(0.0);
    view.source.point[0] = 0.5f;
    view.source.point[1] = 0.0f;
    view.select(paving);
    EXPECT_EQ(view.selected_box, paving.which_one(right_of_box));
    EXPECT_FALSE(paving.holds(view.selected_box));

    // Far outside, where the cell coordinates leave the range of int.
    view.source.point[0] = 1e30f;
    view.select(paving);
    EXPECT_FALSE(paving.holds(view.selected_box));
}

TEST_F(Viewer, HomeFramesEachPlaneOnItsContentCentredAtNinetyPercent)
{
    view.source_extent = {2, 3, 5, 6};
    view.target_extent = {-1, 3, 0, 1};
    view.source.offset[0] = 7;
    send(key(SDL_KEYDOWN, SDLK_h));
    // [2, 3] × [5, 6]: centre (2.5, 5.5), side 1 over 0.9 of the half-width 1 on either side: scale 1.8.
    EXPECT_DOUBLE_EQ(view.source.scale, 1.8);
    EXPECT_FLOAT_EQ(view.source.offset[0], -2.5f);
    EXPECT_FLOAT_EQ(view.source.offset[1], -5.5f);
    // [-1, 3] × [0, 1]: the larger side 4 sets the scale 0.45, the centre (1, 0.5).
    EXPECT_DOUBLE_EQ(view.target.scale, 0.45);
    EXPECT_FLOAT_EQ(view.target.offset[0], -1.0f);
    EXPECT_FLOAT_EQ(view.target.offset[1], -0.5f);
    // The corner (3, 6) lands at clip coordinates 1.8 · (0.5, 0.5) = (0.9, 0.9).
    EXPECT_NEAR(view.source.scale * (3 + view.source.offset[0]), 0.9, 1e-6);

    // A window resized to 2000 x 1000 spans 2 units of its shorter half side
    // across and 1 down: [2, 3] × [5, 6] still fits its height at 1.8, while
    // [-1, 3] × [0, 1] now fits its width 4 into 0.9 · 4 units: scale 0.9.
    SDL_Event resize{};
    resize.type = SDL_VIDEORESIZE;
    resize.resize.w = 2000;
    resize.resize.h = 1000;
    send(resize);
    EXPECT_EQ(view.width, 2000);
    send(key(SDL_KEYDOWN, SDLK_h));
    EXPECT_DOUBLE_EQ(view.source.scale, 1.8);
    EXPECT_DOUBLE_EQ(view.target.scale, 0.9);
}

TEST_F(Viewer, PAsksTheNextFrameToBeWritten)
{
    EXPECT_FALSE(view.screenshot_asked);
    send(key(SDL_KEYDOWN, SDLK_p));
    EXPECT_TRUE(view.screenshot_asked);
}

TEST_F(Viewer, TheQuestionMarkKeyTogglesTheHelpWhoseStatusLineTellsThePointedCell)
{
    EXPECT_FALSE(view.show_help);
    send(key(SDL_KEYDOWN, SDLK_QUESTION));
    EXPECT_TRUE(view.show_help);
    send(key(SDL_KEYDOWN, SDLK_SLASH));  // "?" is shift and slash on most keyboards
    EXPECT_FALSE(view.show_help);

    resultat res;
    res.source_mesh = paving;
    res.images.assign(paving.boxes.size(), domain{{"y0", interval(1, 2)}, {"y1", interval(-3, -2.5)}});
    // Cell 27 of 25 x 25: the second part of x (k div 25 = 1) and the third of y (k mod 25 = 2).
    view.selected_box = 27;
    const std::string status = view.help_lines(res).back();
    EXPECT_EQ(status, "Source plane active;  cell 27: x [-0.1788, -0.1576], y [-0.5952, -0.5428],  image: [1, 2] × [-3, -2.5]");
    view.source_active = false;
    view.selected_box = 625;
    EXPECT_EQ(view.help_lines(res).back(), "Target plane active;  the cursor is outside the box");
}

}  // namespace
