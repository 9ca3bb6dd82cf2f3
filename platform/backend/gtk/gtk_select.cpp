// The desktop program's choice of backend (see desktop_backend.h). This and
// backend.cpp are the only files that name backends; GTK is compiled in only
// when the build found it (GLEAMKIT_HAVE_GTK).
#include "platform/backend/desktop_backend.h"

#include "platform/backend/headless/headless.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef GLEAMKIT_HAVE_GTK
#include "platform/backend/gtk/gtk_backend.h"
#endif

namespace gleamkit::backend {

namespace {

// The display GTK was asked for: --display in argv wins over DISPLAY.
const char* DisplayName(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--display") == 0 && i + 1 < argc) return argv[i + 1];
        if (std::strncmp(argv[i], "--display=", 10) == 0) return argv[i] + 10;
    }
    const char* display = std::getenv("DISPLAY");
    return display != nullptr ? display : "";
}

} // namespace

bool InstallDesktopBackend(int* argc, char*** argv) {
    const char* chosen = std::getenv("GLEAMKIT_BACKEND");
    if (chosen != nullptr && std::strcmp(chosen, "headless") == 0) {
        headless::Install();
        return true;
    }
    const char* display = DisplayName(*argc, *argv);
#ifdef GLEAMKIT_HAVE_GTK
    if (gtk::OpenDisplay(argc, argv)) {
        InstallBackend(gtk::MakeGtkBackend());
        return true;
    }
#endif
    std::fprintf(stderr, "cannot open display: %s\n", display);
    return false;
}

} // namespace gleamkit::backend
