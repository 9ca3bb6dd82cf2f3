// The headless backend's record of what the program showed and what the test
// queued for it (internal to the headless folder and its test API).
#pragma once

#include "platform/backend/backend.h"
#include "platform/backend/headless/headless.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace gleamkit::headless {

std::unique_ptr<backend::Backend> MakeHeadlessBackend();

struct HeadlessRecord {
    std::deque<std::function<backend::FileDialogAnswer(const backend::FileDialogRequest&)>>
        fileAnswers;
    std::vector<backend::FileDialogRequest> fileDialogs;
    std::deque<int> boxAnswers;
    std::vector<ShownMessageBox> boxes;
    std::map<HWND, int> menuBarRedraws;
    std::deque<std::function<void()>> idleActions;
};

HeadlessRecord& Record();

} // namespace gleamkit::headless
