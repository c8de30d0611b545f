// The run's log file: one block of lines per run, appended to a file beside the Access
// database, in Windows-1252 with CR LF line ends.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace engine {

// The log file's name for an Access database path: the path with blanks around it removed, cut
// after the first "." of its file name, followed by "LOG" ("/daten/crm.mdb" -> "/daten/crm.LOG").
// A "." in a directory name does not count, so the log stays beside the database; a file name
// without "." gets ".LOG" appended. When that would name the database itself ("crm.LOG", in any
// letter case, as file systems may ignore it) ".LOG" is appended instead, so the log never
// writes into the database. Both "/" and "\" separate directories.
// Returns an empty text for a blank path: a run without a path opens no log file.
std::u16string LogFileName(std::u16string_view accessPath);

// An open log file; closed when the object goes. Not copyable, movable.
class LogFile {
  public:
    // Opens `path` for appending, creating it when missing.
    // Throws std::system_error when the file cannot be opened.
    explicit LogFile(const std::filesystem::path& path);

    // Writes `text` in Windows-1252 followed by CR LF, and flushes it, so that the lines of a
    // run that ends in a failure are on disk. Throws std::system_error when the write fails.
    void writeLine(std::u16string_view text);

  private:
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
    std::filesystem::path path_;
};

}  // namespace engine
