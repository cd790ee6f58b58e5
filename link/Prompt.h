#pragma once
// User-facing messages go through this interface so tests can record them.
#include <string>

namespace ordalis {

class Prompt {
public:
    virtual ~Prompt() = default;
    // A modal message box with one OK button; text is UTF-8.
    virtual void ShowMessage(const std::string& text) = 0;
};

}  // namespace ordalis
