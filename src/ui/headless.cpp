#include "ui/headless.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ui {
namespace {

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

bool AsksForPlatform(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0 ||
            std::strncmp(argv[i], "-platform=", 10) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool ChooseOffscreenWithoutDisplay(int argc, char** argv) {
    if (IsSet("QT_QPA_PLATFORM") || AsksForPlatform(argc, argv)) return false;
    if (IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY")) return false;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return true;
}

bool IsHeadless() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

void PrintActivityLine(const QString& line) {
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void PrintNoDisplayNotice() {
    std::fputs(
        "sqlvantor: Keine Anzeige verfügbar (DISPLAY ist nicht gesetzt). Ohne Anzeige ist nur "
        "der unbeaufsichtigte Lauf möglich: sqlvantor DSN PFAD (mehr: sqlvantor --help)\n",
        stderr);
}

}  // namespace ui
