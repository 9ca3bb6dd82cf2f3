// Program entry of gleamfx: hands the arguments to RunGleamfx and exits with
// its status.
#include <iostream>
#include <string>
#include <vector>

#include "tools/gleamfx/gleamfx.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return gleamkit::tools::RunGleamfx(args, std::cout, std::cerr);
}
