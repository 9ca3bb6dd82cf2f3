// Writes the reader's seed files into the folder named on the command line,
// from which the fuzzer starts.
#include <cstdio>
#include <fstream>
#include <string>

#include "fuzz/reader_check.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_seeds FOLDER\n");
        return 2;
    }
    for (const auto& seed : gleamkit::fuzz::SeedFiles()) {
        const std::string path = std::string(argv[1]) + "/" + seed.name;
        std::ofstream file(path, std::ios::binary);
        file.write(reinterpret_cast<const char*>(seed.bytes.data()),
                   static_cast<std::streamsize>(seed.bytes.size()));
        if (!file) {
            std::fprintf(stderr, "write_seeds: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
