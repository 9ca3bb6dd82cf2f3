// The backend in use. This is the one file that chooses among backends: the
// headless one unless another was installed.
#include "platform/backend/backend.h"

#include "platform/backend/headless/headless_backend.h"

namespace gleamkit::backend {

namespace {

std::unique_ptr<Backend>& Installed() {
    static std::unique_ptr<Backend> backend;
    return backend;
}

} // namespace

Backend& CurrentBackend() {
    std::unique_ptr<Backend>& backend = Installed();
    if (!backend) backend = headless::MakeHeadlessBackend();
    return *backend;
}

void InstallBackend(std::unique_ptr<Backend> backend) {
    if (backend) Installed() = std::move(backend);
}

} // namespace gleamkit::backend
