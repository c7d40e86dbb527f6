#pragma once
// The shell answered from a script: each save dialog takes the next queued file name
// (cancelled when none is queued or the name is empty), and every request is recorded.
#include <deque>
#include <string>
#include <vector>

#include "platform/Shell.h"

class ScriptedShell : public Shell {
  public:
    bool ChooseSaveFile(const SaveFileRequest& request, std::string& fileName) override {
        saveRequests.push_back(request);
        if (saveAnswers.empty()) return false;
        fileName = saveAnswers.front();
        saveAnswers.pop_front();
        return !fileName.empty();
    }
    bool OpenDocument(const std::string& path) override {
        opened.push_back(path);
        return true;
    }
    bool StartProgram(const std::string& commandLine, int showCommand) override {
        started.push_back(commandLine);
        startShowCommands.push_back(showCommand);
        return startSucceeds;
    }

    std::deque<std::string> saveAnswers;
    std::vector<SaveFileRequest> saveRequests;
    std::vector<std::string> opened, started;
    std::vector<int> startShowCommands;
    bool startSucceeds = true;
};
