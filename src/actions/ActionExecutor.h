#pragma once

#include <string>

namespace tessarin {

// Performs an action given its caption (the type key) and its data string.
class ActionExecutor {
  public:
    virtual ~ActionExecutor() = default;
    virtual void ExecuteAction(const std::string& caption, const std::string& data) = 0;
};

}  // namespace tessarin
