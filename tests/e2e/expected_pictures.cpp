#include "expected_pictures.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct Vec {
    double x, y;
};

Vec mid(Vec a, Vec b)
{
    return {(a.x + b.x) / 2, (a.y + b.y) / 2};
}

// World square [-2, 2] x [-2, 2] stretched over the window, y up; pixel rows count down.
struct Mapping {
    double width, height;
    Vec toWindow(Vec w) const { return {(w.x + 2) / 4 * width, (2 - w.y) / 4 * height}; }
    Vec toWorld(double px, double py) const { return {px / width * 4 - 2, 2 - py / height * 4}; }
};

void arrowheadSegments(Vec p, Vec q, Vec r, int depth, std::vector<std::pair<Vec, Vec>>& out)
{
    if (depth == 0) {
        const Vec a = mid(p, r), b = mid(q, r);
        out.insert(out.end(), {{p, a}, {a, b}, {b, q}});
        return;
    }
    const Vec pq = mid(p, q), pr = mid(p, r), qr = mid(q, r);
    arrowheadSegments(pr, qr, r, depth - 1, out);
    arrowheadSegments(pr, p, pq, depth - 1, out);
    arrowheadSegments(q, qr, pq, depth - 1, out);
}

double distanceToSegment(Vec p, Vec a, Vec b)
{
    const double dx = b.x - a.x, dy = b.y - a.y, length2 = dx * dx + dy * dy;
    const double t = length2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0) : 0;
    return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

testing::AssertionResult onlyBlueAndBlack(const xharness::Picture& picture)
{
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t c = picture.at(x, y);
            if (c != BLUE && c != BLACK) {
                return testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is "
                                                   << xharness::describeColour(c)
                                                   << ", neither blue nor black";
            }
        }
    }
    return testing::AssertionSuccess();
}

testing::AssertionResult probe(const xharness::Picture& picture, int x, int y, std::uint32_t expected,
                               const char* why)
{
    if (picture.at(x, y) == expected) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "pixel (" << x << ", " << y << ") " << why << ": expected "
                                       << xharness::describeColour(expected) << ", found "
                                       << xharness::describeColour(picture.at(x, y));
}

} // namespace

testing::AssertionResult showsArrowhead(const xharness::Picture& picture, int depth)
{
    if (auto colours = onlyBlueAndBlack(picture); !colours) {
        return colours;
    }
    const Mapping map{double(picture.width), double(picture.height)};
    std::vector<std::pair<Vec, Vec>> segments;
    arrowheadSegments({-1.0, -0.58}, {1.0, -0.58}, {0.0, 1.15}, depth, segments);
    for (auto& [a, b] : segments) {
        a = map.toWindow(a);
        b = map.toWindow(b);
    }

    for (const auto& [a, b] : segments) {
        const Vec m = mid(a, b);
        bool black = false;
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                black = black || picture.at(int(m.x) + dx, int(m.y) + dy) == BLACK;
            }
        }
        if (!black) {
            return testing::AssertionFailure()
                   << "no black pixel within 1 of (" << int(m.x) << ", " << int(m.y)
                   << "), the middle of a depth-" << depth << " segment";
        }
    }
    for (int y = 1; y < picture.height; y += 4) {
        for (int x = 1; x < picture.width; x += 4) {
            const Vec centre = {x + 0.5, y + 0.5};
            const bool far = std::all_of(segments.begin(), segments.end(), [&](const auto& s) {
                return distanceToSegment(centre, s.first, s.second) > 3.0;
            });
            if (far) {
                if (auto blue = probe(picture, x, y, BLUE, "off the arrowhead"); !blue) {
                    return blue << " (depth " << depth << ")";
                }
            }
        }
    }
    return testing::AssertionSuccess();
}

testing::AssertionResult showsCarpet(const xharness::Picture& picture, int depth)
{
    if (auto colours = onlyBlueAndBlack(picture); !colours) {
        return colours;
    }
    const Mapping map{double(picture.width), double(picture.height)};
    const double left = -1.0, bottom = -0.58, width = 2.0, height = 1.73;
    const double cells = std::pow(3.0, depth);
    const double cellWidthPx = width / 4 * picture.width / cells;
    const double cellHeightPx = height / 4 * picture.height / cells;
    const double margin = 1.5; // pixels kept clear of every edge

    for (int y = 1; y < picture.height; y += 3) {
        for (int x = 1; x < picture.width; x += 3) {
            const Vec world = map.toWorld(x + 0.5, y + 0.5);
            const double u = (world.x - left) / width * cells, v = (world.y - bottom) / height * cells;
            const double edgeDistance = std::min(std::fabs(u - std::round(u)) * cellWidthPx,
                                                 std::fabs(v - std::round(v)) * cellHeightPx);
            const bool inside = u > 0 && v > 0 && u < cells && v < cells;
            if (edgeDistance < margin && (inside || (u > -1 && v > -1 && u < cells + 1 && v < cells + 1))) {
                continue;
            }
            bool removed = false;
            for (long i = long(u), j = long(v), level = 0; inside && level < depth; ++level, i /= 3, j /= 3) {
                removed = removed || (i % 3 == 1 && j % 3 == 1);
            }
            const std::uint32_t expected = inside && !removed ? BLACK : BLUE;
            if (auto ok = probe(picture, x, y, expected,
                                !inside ? "outside the carpet" : removed ? "in a removed cell" : "in a kept cell");
                !ok) {
                return ok << " (depth " << depth << ")";
            }
        }
    }
    return testing::AssertionSuccess();
}
