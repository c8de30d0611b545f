// The run's log file: one block of lines per run, appended to a file beside the Access
// database, in Windows-1252 with CR LF line ends.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

namespace engine {

// The log file's name for an Access database path: the path with blanks around it removed and
// the extension of its file name (after the last ".") replaced by "LOG" ("/daten/crm.mdb" ->
// "/daten/crm.LOG", "/daten/crm.2024.mdb" -> "/daten/crm.2024.LOG"). A "." in a directory name
// does not count, so the log stays beside the database; a file name without "." gets ".LOG"
// appended. When that would name the database itself ("crm.LOG", in any letter case, as file
// systems may ignore it) ".LOG" is appended instead, so the log never writes into the database.
// Both "/" and "\" separate directories.
// Returns an empty text for a blank path: a run without a path opens no log file.
std::u16string LogFileName(std::u16string_view accessPath);

// A log file that cannot be opened or written: the system's error with a German description
// naming the file.
class LogFileError : public std::system_error {
  public:
    LogFileError(int error, std::string description)
        : std::system_error(error, std::generic_category(), description),
          description_(std::move(description)) {}
    const std::string& description() const { return description_; }

  private:
    std::string description_;
};

// An open log file; closed when the object goes. Not copyable, movable.
class LogFile {
  public:
    // Opens `path` for appending, creating it when missing.
    // Throws LogFileError when it cannot be opened.
    explicit LogFile(const std::filesystem::path& path);

    // Writes `text` in Windows-1252 followed by CR LF, and flushes it, so that the lines of a
    // run that ends in a failure are on disk. Throws LogFileError when the write fails.
    void writeLine(std::u16string_view text);

  private:
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
    std::filesystem::path path_;
};

}  // namespace engine
