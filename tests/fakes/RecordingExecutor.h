#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "actions/ActionExecutor.h"

namespace tessarin::fakes {

class RecordingExecutor : public ActionExecutor {
  public:
    void ExecuteAction(const std::string& caption, const std::string& data) override {
        runs.emplace_back(caption, data), onRun(caption, data);
    }

    std::vector<std::pair<std::string, std::string>> runs;
    // Lets a test act inside a run, as a nested message loop would.
    std::function<void(const std::string&, const std::string&)> onRun = [](auto&, auto&) {};
};

}  // namespace tessarin::fakes
