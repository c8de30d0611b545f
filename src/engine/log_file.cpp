#include "engine/log_file.h"

#include <cerrno>
#include <system_error>

#include "engine/cp1252.h"
#include "jet/base/text.h"

namespace engine {

namespace {

constexpr std::u16string_view kLogSuffix = u"LOG";

std::u16string_view trimBlanks(std::u16string_view text) {
    const auto first = text.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(u' ');
    return text.substr(first, last - first + 1);
}

std::size_t fileNameStart(std::u16string_view path) {
    const auto separator = path.find_last_of(u"/\\");
    return separator == std::u16string_view::npos ? 0 : separator + 1;
}

[[noreturn]] void throwFileError(const char* what, const std::filesystem::path& path) {
    throw LogFileError(errno, what + (": " + path.string()));
}

}  // namespace

std::u16string LogFileName(std::u16string_view accessPath) {
    const std::u16string_view path = trimBlanks(accessPath);
    if (path.empty()) {
        return {};
    }
    const std::size_t nameStart = fileNameStart(path);
    const auto lastDot = path.rfind(u'.');
    const auto dot = lastDot == std::u16string_view::npos || lastDot < nameStart
                         ? std::u16string_view::npos
                         : lastDot;
    std::u16string name =
        dot == std::u16string_view::npos
            ? std::u16string(path) + u"." + std::u16string(kLogSuffix)
            : std::u16string(path.substr(0, dot + 1)) + std::u16string(kLogSuffix);
    if (jet::equalIgnoringCase(name, path)) {
        name = std::u16string(path) + u"." + std::u16string(kLogSuffix);
    }
    return name;
}

LogFile::LogFile(const std::filesystem::path& path)
    : file_(std::fopen(path.c_str(), "ab")), path_(path) {
    if (!file_) {
        throwFileError("Die Protokolldatei kann nicht geöffnet werden", path_);
    }
}

void LogFile::writeLine(std::u16string_view text) {
    const std::string bytes = encodeCp1252(text) + "\r\n";
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size() ||
        std::fflush(file_.get()) != 0) {
        throwFileError("Die Protokolldatei kann nicht geschrieben werden", path_);
    }
}

}  // namespace engine
