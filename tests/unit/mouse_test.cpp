#include "same_vertices.h"
#include "mouse_rules.h"
#include "viewer/mouse.h"
#include "viewer/view_state.h"

#include <GL/glut.h>

#include <climits>
#include <utility>

namespace {

constexpr int LEFT = GLUT_LEFT_BUTTON, MIDDLE = GLUT_MIDDLE_BUTTON, RIGHT = GLUT_RIGHT_BUTTON;
constexpr int DOWN = GLUT_DOWN, UP = GLUT_UP;

struct Event {
    int button, state;
    ViewState after; // figure, depth, depthCeiling
};

constexpr ViewState arrowhead(int depth)
{
    return {FIGURE_ARROWHEAD, depth, TRIANGLE_MAX_DEPTH};
}

constexpr ViewState carpet(int depth)
{
    return {FIGURE_CARPET, depth, CARPET_MAX_DEPTH};
}

// `count` clicks (press and release) of `button` from the state `from`, as the rules have them.
std::vector<Event> presses(int button, int count, ViewState from)
{
    std::vector<Event> events;
    for (int i = 0; i < count; ++i) {
        from = afterPress(from, button);
        events.push_back({button, DOWN, from});
        events.push_back({button, UP, from});
    }
    return events;
}

std::vector<Event> concat(std::initializer_list<std::vector<Event>> parts)
{
    std::vector<Event> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// Feeds the events from the start state; after each, the whole state must match and exactly
// one more redisplay must have been requested.
void play(const std::vector<Event>& events, int x = 250, int y = 250)
{
    viewState = START_VIEW_STATE;
    startRecording();
    for (size_t i = 0; i < events.size(); ++i) {
        const Event& e = events[i];
        mouse(e.button, e.state, x, y);
        const ViewState& s = viewState;
        ASSERT_TRUE(s.figure == e.after.figure && s.depth == e.after.depth &&
                    s.depthCeiling == e.after.depthCeiling)
            << "event " << i << " (button " << e.button << ", state " << e.state << "): got figure "
            << s.figure << " depth " << s.depth << " ceiling " << s.depthCeiling << ", expected "
            << e.after.figure << " " << e.after.depth << " " << e.after.depthCeiling;
        ASSERT_EQ(glRecord.redisplayRequests, int(i) + 1) << "event " << i;
    }
}

TEST(Mouse, LeftStopsAtTheArrowheadCeilingAndRightAtZero)
{
    play(concat({presses(LEFT, 15, arrowhead(0)), presses(RIGHT, 15, arrowhead(12)),
                 presses(LEFT, 1, arrowhead(0))}));
}

TEST(Mouse, MiddleSwitchesFigureAndResetsDepthFromAnyDepth)
{
    for (int depth = 0; depth <= TRIANGLE_MAX_DEPTH; ++depth) {
        play(concat({presses(LEFT, depth, arrowhead(0)),
                     {{MIDDLE, DOWN, carpet(0)}, {MIDDLE, UP, carpet(0)}},
                     presses(LEFT, depth, carpet(0)),
                     {{MIDDLE, DOWN, arrowhead(0)}, {MIDDLE, UP, arrowhead(0)}},
                     presses(LEFT, 1, arrowhead(0))}));
    }
}

TEST(Mouse, CeilingFollowsTheFigureThroughASwitchAndBack)
{
    play(concat({{{MIDDLE, DOWN, carpet(0)}}, presses(LEFT, 8, carpet(0)),
                 presses(RIGHT, 7, carpet(5)), {{MIDDLE, DOWN, arrowhead(0)}},
                 presses(LEFT, 14, arrowhead(0)), {{MIDDLE, DOWN, carpet(0)}},
                 {{MIDDLE, DOWN, arrowhead(0)}}, {{MIDDLE, DOWN, carpet(0)}},
                 presses(LEFT, 6, carpet(0))}));
}

// Releases, the wheel (3 and 4), further buttons and odd values change nothing but still redraw.
TEST(Mouse, OnlyPressesOfTheThreeButtonsChangeTheState)
{
    std::vector<Event> events = presses(LEFT, 3, arrowhead(0));
    for (int button : {LEFT, MIDDLE, RIGHT, 3, 4, 5, 6, 7, 8, -1, 1000}) {
        events.push_back({button, UP, arrowhead(3)});
    }
    for (int button : {3, 4, 5, 6, 7, 8, -1, 1000}) {
        events.push_back({button, DOWN, arrowhead(3)});
    }
    for (int state : {2, -1}) {
        for (int button : {LEFT, MIDDLE, RIGHT}) {
            events.push_back({button, state, arrowhead(3)});
        }
    }
    play(events);
}

TEST(Mouse, PointerPositionNeverMatters)
{
    const auto session = concat({presses(LEFT, 4, arrowhead(0)), presses(RIGHT, 1, arrowhead(4)),
                                 {{MIDDLE, DOWN, carpet(0)}}, presses(LEFT, 2, carpet(0))});
    for (const auto& [x, y] : {std::pair{0, 0}, {499, 499}, {-40, 900}, {250, -1}, {INT_MAX, INT_MIN}}) {
        play(session, x, y);
    }
}

} // namespace
