// Choosing the backend of a desktop program (the gleamkit_desktop library).
// Tests and command-line tools never call this: they run on the headless
// backend, the default.
//
// Usage, first thing in main, before any window is made:
//   if (!gleamkit::backend::InstallDesktopBackend(&argc, &argv)) return 1;
#pragma once

namespace gleamkit::backend {

// Installs the backend a desktop program shows its windows with:
// - GLEAMKIT_BACKEND=headless: the headless backend (nothing is shown; message
//   boxes print on stderr and answer their first button);
// - otherwise GTK 3 (when the build found it), on the display GTK is given
//   (DISPLAY, or --display in argv; GTK's own options are removed from argv).
// Answers false after printing "cannot open display: NAME" on stderr when no
// display can be opened (or GTK was not built in); the program then exits
// with status 1.
bool InstallDesktopBackend(int* argc, char*** argv);

} // namespace gleamkit::backend
