// main.cpp - the artgen command: writes the game's data/ folder and the review
// contact sheets, the game's icon and, when given an icons folder, the icon at
// every size of the desktop's icon theme. The build runs it whenever the tool
// itself changes.
//
//   artgen <data folder> [<review folder> [<icons folder>]]
#include <cstdio>

#include "generate.h"
#include "icon.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: %s <data folder> [<review folder> [<icons folder>]]\n", argv[0]);
        return 2;
    }
    art::GenerateOptions options;
    options.dataDir = argv[1];
    if (argc >= 3) options.reviewDir = argv[2];
    art::GenerateResult r = art::generate(options);
    if (!r.ok) {
        std::fprintf(stderr, "artgen: %s\n", r.error.c_str());
        return 1;
    }
    // The icon is not one of the loader's files: it is written after them.
    if (!art::writeIcon(options.dataDir)) {
        std::fprintf(stderr, "artgen: cannot write %s in %s\n", art::kIconFile, options.dataDir.c_str());
        return 1;
    }
    if (argc == 4 && !art::writeDesktopIcons(argv[3])) {
        std::fprintf(stderr, "artgen: cannot write the desktop icons in %s\n", argv[3]);
        return 1;
    }
    std::printf("artgen: wrote %zu files to %s\n", r.written.size(), options.dataDir.c_str());
    return 0;
}
