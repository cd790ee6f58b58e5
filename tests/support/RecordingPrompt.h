#pragma once
// Records messages instead of showing a modal box. onMessage runs while the "box is
// open", so a test can feed bytes or fire timers the way a modal loop would.
#include <functional>
#include <string>
#include <vector>

#include "link/Prompt.h"

namespace ordalis::test {

class RecordingPrompt : public Prompt {
public:
    std::vector<std::string> messages;
    std::function<void(const std::string&)> onMessage;

    void ShowMessage(const std::string& text) override {
        messages.push_back(text);
        if (onMessage) onMessage(text);
    }
};

}  // namespace ordalis::test
