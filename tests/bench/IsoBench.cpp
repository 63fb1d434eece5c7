// What scripts/bench-iso times: the whole-image copy, and the open (parse and index) of an image.
//   iso_bench copy IMAGE DESTINATION   copies "/" into DESTINATION and prints the result code
//   iso_bench open IMAGE [ROUNDS]      prints the entries and the best open time in milliseconds
#include "common/IsoImage.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

unsigned long countEntries(Common::IsoImage &image, const Common::string &folder) {
    unsigned long n = 0;
    for (const Common::string &name : image.listFiles(folder)) {
        (void)name;
        ++n;
    }
    for (const Common::string &name : image.listFolders(folder))
        n += 1 + countEntries(image, folder + name + "/");
    return n;
}

} // namespace

int main(int argc, char **argv) {
    if (argc >= 4 && std::strcmp(argv[1], "copy") == 0) {
        Common::IsoImage image(argv[2]);
        if (!image.isOpen()) {
            std::fprintf(stderr, "cannot open %s\n", argv[2]);
            return 2;
        }
        int result = image.copy("/", argv[3]);
        std::printf("%d\n", result);
        return result == 0 ? 0 : 1;
    }
    if (argc >= 3 && std::strcmp(argv[1], "open") == 0) {
        int rounds = argc >= 4 ? std::atoi(argv[3]) : 3;
        double best = 0;
        unsigned long entries = 0;
        for (int i = 0; i < rounds; ++i) {
            auto start = std::chrono::steady_clock::now();
            Common::IsoImage image(argv[2]);
            double ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            if (!image.isOpen()) {
                std::fprintf(stderr, "cannot open %s\n", argv[2]);
                return 2;
            }
            entries = countEntries(image, "/");
            if (i == 0 || ms < best)
                best = ms;
        }
        std::printf("%lu %.1f\n", entries, best);
        return 0;
    }
    std::fprintf(stderr, "usage: iso_bench copy IMAGE DESTINATION | open IMAGE [ROUNDS]\n");
    return 2;
}
