#include "ui/runtime_folder.h"

#include <QDir>
#include <QFile>
#include <cstdlib>

namespace ui {

RuntimeFolder::RuntimeFolder() {
    const char* current = std::getenv("XDG_RUNTIME_DIR");
    if (current != nullptr && *current != '\0') return;
    auto folder = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                  QStringLiteral("/sqlvantor-runtime-XXXXXX"));
    // Qt accepts a runtime folder only when it is the user's own with mode 0700.
    if (!folder->isValid() ||
        !QFile::setPermissions(folder->path(),
                               QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        return;  // Qt falls back to a folder of its own and says so
    }
    setenv("XDG_RUNTIME_DIR", QFile::encodeName(folder->path()).constData(), 1);
    folder_ = std::move(folder);
}

RuntimeFolder::~RuntimeFolder() {
    if (folder_) unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace ui
