#include "ui/program_info.h"

#include <cstdio>

#include "ui/argument_text.h"
#include "ui/exit_status.h"

namespace ui {

QString UsageText() {
    return QStringLiteral(
        "Aufruf: sqlvantor [DSN PFAD]\n"
        "        sqlvantor --help | -h | --version\n"
        "\n"
        "Frischt die Tabellen einer Access-Datenbank (.mdb, .accdb) aus einer ODBC-Datenquelle "
        "auf.\n"
        "\n"
        "  (ohne Argumente)  öffnet das Fenster.\n"
        "  DSN PFAD          ein unbeaufsichtigter Lauf: trägt den Namen der ODBC-Datenquelle\n"
        "                    und den Pfad der Access-Datenbank ins Fenster ein, überträgt mit den\n"
        "                    übrigen Vorgaben des Fensters und endet. Alles nach dem ersten\n"
        "                    Leerzeichen ist der Pfad, er darf selbst Leerzeichen enthalten.\n"
        "  -h, --help        zeigt diese Hilfe.\n"
        "  --version         zeigt die Version.\n"
        "\n"
        "Ohne Anzeige (weder DISPLAY noch WAYLAND_DISPLAY gesetzt) läuft der unbeaufsichtigte\n"
        "Lauf ohne sichtbares Fenster: jede Zeile der Liste geht auf die Standardausgabe, ein\n"
        "Fehler mit Nummer und Beschreibung auf die Standardfehlerausgabe. Das Protokoll steht\n"
        "neben der Datenbank (crm.mdb -> crm.LOG).\n"
        "\n"
        "Exit-Status:\n"
        "  0  Lauf vollständig (Feldprobleme stehen im Protokoll), oder Fenster geschlossen\n"
        "  1  Lauf fehlgeschlagen; Nummer und Beschreibung wurden gezeigt oder ausgegeben\n"
        "  2  Lauf abgebrochen, weil das Fenster geschlossen wurde\n"
        "  3  Start ohne DSN und PFAD, aber keine Anzeige vorhanden\n"
        "\n"
        "Mehr dazu: man sqlvantor\n");
}

QString VersionText() {
    return QStringLiteral("sqlvantor " SQLVANTOR_VERSION "\n");
}

std::optional<QString> InfoAnswer(const QString& argumentText) {
    if (argumentText == QLatin1String("--help") || argumentText == QLatin1String("-h"))
        return UsageText();
    if (argumentText == QLatin1String("--version")) return VersionText();
    return std::nullopt;
}

std::optional<int> AnswerInfoRequest(const QStringList& arguments) {
    const std::optional<QString> answer = InfoAnswer(ArgumentText(arguments));
    if (!answer) return std::nullopt;
    const QByteArray bytes = answer->toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
    return static_cast<int>(ExitStatus::Completed);
}

}  // namespace ui
