// What a transfer run needs of the main window, and nothing more. The Qt window implements it;
// tests use a recording fake. Every call happens on the window's thread, inside the run.
#pragma once

#include <string>
#include <string_view>

namespace engine {

enum class TextBox {
    Text1,  // ODBC data source name; the run overwrites it after connecting
    Text2,  // Access database path
    Text3,  // single-table filter, empty for none
    Text4,  // user name
    Text5,  // password
};

enum class ServerOption { Opt_MS, Opt_Ora, OPT_SYB };

enum class CheckBox { Check_nurCRMTabellen, Check_Safety };

enum class StatusLabel { Label_Start, Label_Ende, Label_Speed };

enum class ProgressBar { ProgressBar1, ProgressBar2 };

class RunWindow {
  public:
    virtual ~RunWindow() = default;

    // Controls the run reads. The window answers with their current state: the operator may
    // change them while the run yields, and the run reads them again when it needs them.
    virtual std::u16string text(TextBox box) const = 0;
    virtual bool isOptionSet(ServerOption option) const = 0;
    // 0 clear, 1 checked, 2 greyed; a setting is on only at exactly 1.
    virtual int checkValue(CheckBox box) const = 0;

    // Controls the run drives.
    virtual void setText(TextBox box, std::u16string_view text) = 0;
    virtual void setCaption(StatusLabel label, std::u16string_view caption) = 0;
    // Progress bars keep Max and Value as single-precision numbers, as the run hands them over.
    virtual void setProgressMax(ProgressBar bar, float max) = 0;
    virtual void setProgressValue(ProgressBar bar, float value) = 0;
    // Appends a last entry to List1 and selects it, so it is scrolled into view.
    virtual void addListItem(std::u16string_view line) = 0;
    virtual void clearList() = 0;
    // Command2, the Start button; disabled for the whole run so no run starts inside another.
    virtual void setStartEnabled(bool enabled) = 0;

    // While busy, the window refuses to close and raises the abort flag instead.
    virtual void setBusy(bool busy) = 0;
    virtual bool abortRequested() const = 0;
    virtual void clearAbortRequest() = 0;

    // Handles all pending window events (input, repainting, a close request) and returns when
    // none is left.
    virtual void processEvents() = 0;
};

}  // namespace engine
