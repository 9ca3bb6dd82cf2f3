// The program entry of "Test Gleamkit": builds the main form and runs the
// message loop until the form is closed (status 0). Anything a handler lets
// escape reaches the last-chance handler here: its message in a task-modal
// error box, then status 1.
#include <exception>
#include <new>
#include <string>

#include "app/main_form.h"
#include "platform/backend/desktop_backend.h"
#include "platform/win32.h"

namespace {

int LastChance(const std::string& message) {
    MessageBoxA(nullptr, message.c_str(), "Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    // The program takes no arguments of its own; the backend takes out the
    // display options GTK knows (--display).
    if (!gleamkit::backend::InstallDesktopBackend(&argc, &argv)) return 1;
    try {
        gleamkit::app::MainForm* record = nullptr;
        gleamkit::app::NewMainForm(record, nullptr);
        gleamkit::winkit::Run(record->Form);
        return 0;
    } catch (const std::bad_alloc&) {
        return LastChance("Out of memory");
    } catch (const std::exception& error) {
        return LastChance(error.what());
    }
}
