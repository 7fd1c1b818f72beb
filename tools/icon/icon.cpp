// Writes the application icon as SVG: the program's own arrowhead, drawn by drawArrowhead from the
// seed triangle into the GL recorder, each strip a subpath.
//   sierpinski-icon DEPTH STROKE       (STROKE: line width in pixels of a 256-pixel icon)
#include "figures/arrowhead.h"
#include "gl_recorder.h"
#include "viewer/frame.h"

#include <cstdio>
#include <cstdlib>

namespace {

// The square round the seed triangle, in world units, y up: its side and its top-left corner.
constexpr double SIDE = 2.08, LEFT = -1.04, TOP = 1.328;
constexpr double ICON_PIXELS = 256;

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s DEPTH STROKE\n", argv[0]);
        return 2;
    }
    const int depth = std::atoi(argv[1]);
    const double stroke = std::atof(argv[2]);
    startRecording();
    drawArrowhead(SEED_TRIANGLE[0], SEED_TRIANGLE[1], SEED_TRIANGLE[2], depth);

    std::printf("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n"
                "<rect width=\"256\" height=\"256\" fill=\"#0000ff\"/>\n"
                "<path fill=\"none\" stroke=\"#000000\" stroke-width=\"%g\" d=\"\n",
                stroke);
    for (const Primitive& strip : glRecord.primitives) {
        std::printf("M");
        // In the SVG's units, 0 to 256 across, y down, rounded to 1/1000 of a pixel.
        for (const Point2& v : strip.vertices) {
            std::printf(" %.3f,%.3f", (double(v.x) - LEFT) / SIDE * ICON_PIXELS, (TOP - double(v.y)) / SIDE * ICON_PIXELS);
        }
        std::printf("\n");
    }
    std::printf("\"/>\n</svg>\n");
    return 0;
}
