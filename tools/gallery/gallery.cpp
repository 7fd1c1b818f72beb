// Renders pictures of both figures from the real viewer on a private Xvfb into a folder:
//   sierpinski-gallery FOLDER [arrowhead=0,2,5] [carpet=1,3]
// writes FOLDER/arrowhead-<depth>.png and FOLDER/carpet-<depth>.png, 500 x 500 each.
#include "viewer/view_state.h"
#include "xharness.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>

namespace {

using xharness::LEFT, xharness::MIDDLE;

bool parseDepths(const std::string& text, int ceiling, std::set<int>& depths)
{
    std::istringstream list(text);
    for (std::string item; std::getline(list, item, ',');) {
        std::size_t used = 0;
        int depth = -1;
        try {
            depth = std::stoi(item, &used);
        } catch (const std::exception&) {
            return false;
        }
        if (used != item.size() || depth < 0 || depth > ceiling) {
            return false;
        }
        depths.insert(depth);
    }
    return true;
}

// Steps up through the depths in order, saving each picture once the viewer has drawn it.
void render(xharness::ViewerSession& viewer, const std::set<int>& depths, const std::string& folder,
            const std::string& figure)
{
    int depth = 0;
    for (int target : depths) {
        if (target > depth) {
            viewer.click(LEFT, target - depth);
            depth = target;
        }
        std::string path = folder;
        path += "/" + figure + "-" + std::to_string(depth) + ".png";
        viewer.settle().writePng(path);
        std::printf("%s\n", path.c_str());
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [arrowhead=D,D,...] [carpet=D,D,...]\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    std::set<int> arrowhead, carpet;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool ok = arg.rfind("arrowhead=", 0) == 0 ? parseDepths(arg.substr(10), TRIANGLE_MAX_DEPTH, arrowhead)
                        : arg.rfind("carpet=", 0) == 0  ? parseDepths(arg.substr(7), CARPET_MAX_DEPTH, carpet)
                                                        : false;
        if (!ok) {
            std::fprintf(stderr, "%s: '%s' is not arrowhead=D,... (0-%d) or carpet=D,... (0-%d)\n",
                         argv[0], argv[i], TRIANGLE_MAX_DEPTH, CARPET_MAX_DEPTH);
            return 2;
        }
    }
    if (arrowhead.empty() && carpet.empty()) {
        arrowhead = {0, 1, 2, 4, 7};
        carpet = {0, 1, 2, 4};
    }
    try {
        std::filesystem::create_directories(folder);
        xharness::ViewerSession viewer;
        render(viewer, arrowhead, folder, "arrowhead");
        if (!carpet.empty()) {
            viewer.click(MIDDLE);
            render(viewer, carpet, folder, "carpet");
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
        return 1;
    }
    return 0;
}
