#include "engine/activity_log.h"

#include <filesystem>
#include <utility>

#include "jet/base/text.h"

namespace engine {

void ActivityLog::openLogFile(std::u16string_view accessPath) {
    logFile_.emplace(std::filesystem::path(jet::toUtf8(LogFileName(accessPath))));
}

void ActivityLog::closeLogFile() {
    if (!logFile_) {
        return;
    }
    // Taken out first, so the file is closed even when the last write fails.
    LogFile file = std::move(*logFile_);
    logFile_.reset();
    file.writeLine(u"");
}

void ActivityLog::AddActivityLine(std::u16string_view text, bool toLogFile) {
    window_.addListItem(text);
    if (toLogFile && logFile_) {
        logFile_->writeLine(text);
    }
    window_.processEvents();
}

}  // namespace engine
