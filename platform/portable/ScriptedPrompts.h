#pragma once
// Message boxes answered from a script: each box is recorded, and answered with the
// next queued answer (OK when none is queued).
#include <deque>
#include <string>
#include <vector>

#include "platform/Prompts.h"

class ScriptedPrompts : public Prompts {
public:
    struct Shown {
        std::string text;
        std::string title;
        uint32_t style = 0;
    };

    int Show(const std::string& text, const std::string& title, uint32_t style) override {
        shown.push_back(Shown{text, title, style});
        if (answers.empty()) return kIdOk;
        int answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::deque<int> answers;
    std::vector<Shown> shown;
};
