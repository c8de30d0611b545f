// A window for engine tests: answers with the control values a test sets and records what the
// run does to it, in order, so tests can check both the results and the sequence.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/run_window.h"

namespace engine_test {

class FakeWindow : public engine::RunWindow {
  public:
    std::map<engine::TextBox, std::u16string> texts;
    std::map<engine::ServerOption, bool> options{{engine::ServerOption::Opt_MS, true}};
    std::map<engine::CheckBox, int> checks;
    std::map<engine::StatusLabel, std::u16string> captions;
    std::map<engine::ProgressBar, float> progressMax;
    std::map<engine::ProgressBar, float> progressValue;
    std::vector<std::u16string> list;
    int selectedIndex = -1;
    bool startEnabled = true;
    bool busy = false;
    bool abort = false;
    // One entry per call that changes the window or yields: "add", "clear", "yield", ...
    std::vector<std::string> calls;
    // Called at every yield, with the number of yields so far: lets a test act as the operator.
    std::function<void(FakeWindow&, int)> onYield;
    int yields = 0;

    std::u16string text(engine::TextBox box) const override {
        const auto it = texts.find(box);
        return it == texts.end() ? std::u16string() : it->second;
    }
    bool isOptionSet(engine::ServerOption option) const override {
        const auto it = options.find(option);
        return it != options.end() && it->second;
    }
    int checkValue(engine::CheckBox box) const override {
        const auto it = checks.find(box);
        return it == checks.end() ? 0 : it->second;
    }
    void setText(engine::TextBox box, std::u16string_view value) override {
        texts[box] = std::u16string(value);
        calls.push_back("setText");
    }
    void setCaption(engine::StatusLabel label, std::u16string_view caption) override {
        captions[label] = std::u16string(caption);
        calls.push_back("setCaption");
    }
    void setProgressMax(engine::ProgressBar bar, float max) override {
        progressMax[bar] = max;
        calls.push_back("setProgressMax");
    }
    void setProgressValue(engine::ProgressBar bar, float value) override {
        progressValue[bar] = value;
        calls.push_back("setProgressValue");
    }
    void addListItem(std::u16string_view line) override {
        list.emplace_back(line);
        selectedIndex = static_cast<int>(list.size()) - 1;
        calls.push_back("add");
    }
    void clearList() override {
        list.clear();
        selectedIndex = -1;
        calls.push_back("clear");
    }
    void setStartEnabled(bool enabled) override {
        startEnabled = enabled;
        calls.push_back("setStartEnabled");
    }
    void setBusy(bool value) override {
        busy = value;
        calls.push_back("setBusy");
    }
    bool abortRequested() const override { return abort; }
    void clearAbortRequest() override {
        abort = false;
        calls.push_back("clearAbort");
    }
    void processEvents() override {
        calls.push_back("yield");
        ++yields;
        if (onYield) onYield(*this, yields);
    }
};

}  // namespace engine_test
