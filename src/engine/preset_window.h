// A window for runs nobody watches (benchmarks, the kill harness): its settings are fixed up
// front, nobody asks it to close, and every list line goes to a callback, if one is given.
#pragma once

#include <functional>
#include <string>

#include "engine/run_window.h"

namespace engine {

struct PresetSettings {
    std::u16string dataSource;   // Text1
    std::u16string accessPath;   // Text2
    std::u16string singleTable;  // Text3, empty for all tables
    std::u16string user;         // Text4
    std::u16string password;     // Text5
    ServerOption server = ServerOption::Opt_MS;
    bool safeMode = false;
};

class PresetWindow : public RunWindow {
  public:
    using LineSink = std::function<void(std::u16string_view)>;
    explicit PresetWindow(PresetSettings settings, LineSink onLine = {})
        : settings_(std::move(settings)), onLine_(std::move(onLine)) {}

    std::u16string text(TextBox box) const override {
        switch (box) {
            case TextBox::Text1:
                return settings_.dataSource;
            case TextBox::Text2:
                return settings_.accessPath;
            case TextBox::Text3:
                return settings_.singleTable;
            case TextBox::Text4:
                return settings_.user;
            case TextBox::Text5:
                return settings_.password;
        }
        return {};
    }
    bool isOptionSet(ServerOption option) const override { return option == settings_.server; }
    int checkValue(CheckBox box) const override {
        return box == CheckBox::Check_Safety && settings_.safeMode ? 1 : 0;
    }
    void setText(TextBox box, std::u16string_view text) override {
        if (box == TextBox::Text1) settings_.dataSource = text;
    }
    void setCaption(StatusLabel, std::u16string_view) override {}
    void setProgressMax(ProgressBar, float) override {}
    void setProgressValue(ProgressBar, float) override {}
    void addListItem(std::u16string_view line) override {
        if (onLine_) onLine_(line);
    }
    void clearList() override {}
    void setStartEnabled(bool) override {}
    void setBusy(bool) override {}
    bool abortRequested() const override { return false; }
    void clearAbortRequest() override {}
    void processEvents() override {}

  private:
    PresetSettings settings_;
    LineSink onLine_;
};

}  // namespace engine
