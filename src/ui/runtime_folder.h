// Qt wants a private runtime folder (XDG_RUNTIME_DIR) and writes a warning to standard error
// when the session has none, as under cron, systemd's system units or `env -i`: noise that cron
// mails after every successful run. Such a start gets a folder of its own instead.
#pragma once

#include <QTemporaryDir>
#include <memory>

namespace ui {

// Created before the application object: when XDG_RUNTIME_DIR is unset or empty, makes a fresh
// temporary folder only the user can enter and points XDG_RUNTIME_DIR at it. Its end (after
// the application object's) unsets the variable again and removes the folder. A session that
// has a runtime folder is left alone.
class RuntimeFolder {
  public:
    RuntimeFolder();
    ~RuntimeFolder();
    RuntimeFolder(const RuntimeFolder&) = delete;
    RuntimeFolder& operator=(const RuntimeFolder&) = delete;

    // Whether this object made the folder.
    bool ownsFolder() const { return folder_ != nullptr; }

  private:
    std::unique_ptr<QTemporaryDir> folder_;
};

}  // namespace ui
