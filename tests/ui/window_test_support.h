// Shared pieces of the window tests: a window whose run is a script, finding controls by name,
// and driving modal dialogs that a click opens.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "ui/main_window.h"

namespace ui_test {

template <typename Widget>
Widget* Control(QWidget& window, const char* name) {
    auto* widget = window.findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

// A window whose Start runs `script` instead of the transfer; failures are recorded, not boxed.
struct ScriptedWindow {
    explicit ScriptedWindow(std::function<engine::RunOutcome(engine::RunWindow&)> script = {})
        : window(std::make_unique<ui::MainWindow>(
              [this](engine::RunWindow& target, const engine::CrmTableList&) {
                  ++runs;
                  return run ? run(target) : engine::RunOutcome::Completed;
              })),
          run(std::move(script)) {
        window->setFailureReporter([this](const engine::RunFailure& f) { failures.push_back(f); });
        window->setProgramEnd([this](int status) { endedWith = status; });
    }

    std::unique_ptr<ui::MainWindow> window;
    std::function<engine::RunOutcome(engine::RunWindow&)> run;
    int runs = 0;
    std::vector<engine::RunFailure> failures;
    std::optional<int> endedWith;  // set when a failed Start ended the program
};

// Calls `action` with the modal dialog once its own event loop runs (polled from that loop),
// so a test can drive a dialog that the code under test opens with exec(). Acting earlier, in
// an event pass inside show(), would close the dialog before exec() waits for it.
inline void WhenModalOpens(std::function<void(QWidget&)> action) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    const int armedAtLevel = QThread::currentThread()->loopLevel();
    QObject::connect(timer, &QTimer::timeout, [timer, armedAtLevel, action = std::move(action)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) return;
        if (QThread::currentThread()->loopLevel() <= armedAtLevel) return;
        timer->stop();
        timer->deleteLater();
        action(*modal);
    });
    timer->start();
}

}  // namespace ui_test
