// The load step in process (what goes where, whether a run happens, the exit status), and the
// sqlvantor program itself started the way cron starts it: without a display.
#include "ui/command_line_start.h"

#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "ui/argument_text.h"
#include "ui/program_info.h"
#include "window_test_support.h"

namespace {

using engine::RunOutcome;
using ui_test::Control;

struct Loaded {
    int runs = 0;
    std::optional<int> status;
    QString text1, text2;
    bool shownDuringRun = false;
    size_t crmTables = 0;
};

Loaded Load(const QString& argumentText, RunOutcome outcome = RunOutcome::Completed) {
    Loaded loaded;
    ui_test::ScriptedWindow scripted([&](engine::RunWindow&) {
        loaded.shownDuringRun = scripted.window->isVisible();
        return outcome;
    });
    ui::MainWindow& w = *scripted.window;
    for (auto label : {engine::StatusLabel::Label_Start, engine::StatusLabel::Label_Ende,
                       engine::StatusLabel::Label_Speed}) {
        w.setCaption(label, u"alt");
    }
    loaded.status = ui::LoadWindow(w, argumentText);
    loaded.runs = scripted.runs;
    loaded.text1 = Control<QLineEdit>(w, "Text1")->text();
    loaded.text2 = Control<QLineEdit>(w, "Text2")->text();
    loaded.crmTables = w.crmTables().size();
    for (const char* name : {"Label_Start", "Label_Ende", "Label_Speed"})
        EXPECT_TRUE(Control<QLabel>(w, name)->text().isEmpty()) << name;
    return loaded;
}

TEST(ArgumentText, SeparateArgumentsJoinWithSingleBlanks) {
    EXPECT_EQ(ui::ArgumentText({}), "");
    EXPECT_EQ(ui::ArgumentText({"DSN", "/a b/x.mdb"}), "DSN /a b/x.mdb");
    EXPECT_EQ(ui::ArgumentText({"DSN /a b/x.mdb"}), "DSN /a b/x.mdb");
    EXPECT_EQ(ui::ArgumentText({"DSN", "", "x.mdb"}), "DSN  x.mdb");
}

TEST(LoadWindow, NameBlankPathRunsOnceInTheShownWindow) {
    const Loaded loaded = Load("Kunden /srv/daten mit blank/crm.mdb");
    EXPECT_EQ(loaded.runs, 1);
    EXPECT_TRUE(loaded.shownDuringRun);
    EXPECT_EQ(loaded.status, 0);
    EXPECT_EQ(loaded.text1, "Kunden");
    EXPECT_EQ(loaded.text2, "/srv/daten mit blank/crm.mdb");
    EXPECT_EQ(loaded.crmTables, 0u);  // not filled for an unattended run
}

TEST(LoadWindow, OnlyTheFirstBlankSeparates) {
    Loaded loaded = Load("Kunden  crm.mdb");
    EXPECT_EQ(loaded.text1, "Kunden");
    EXPECT_EQ(loaded.text2, " crm.mdb");
    loaded = Load(" Kunden crm.mdb");
    EXPECT_EQ(loaded.runs, 1);
    EXPECT_EQ(loaded.text1, "");
    EXPECT_EQ(loaded.text2, "Kunden crm.mdb");
    loaded = Load("Kunden ");
    EXPECT_EQ(loaded.runs, 1);
    EXPECT_EQ(loaded.text2, "");
}

TEST(LoadWindow, NoBlankMeansAnInteractiveStartWithTheCrmList) {
    for (const QString& text : {QString(), QStringLiteral("Kunden")}) {
        const Loaded loaded = Load(text);
        EXPECT_EQ(loaded.runs, 0) << text.toStdString();
        EXPECT_FALSE(loaded.status.has_value());
        EXPECT_EQ(loaded.crmTables, 72u);
        EXPECT_EQ(loaded.text1, "");
    }
}

TEST(LoadWindow, AbortedRunEndsWithNonZeroStatus) {
    EXPECT_EQ(Load("Kunden crm.mdb", RunOutcome::Aborted).status, 2);
}

// The program as cron starts it: no DISPLAY, no platform asked for, no runtime folder.
struct Program {
    int status = -1;
    QString out, err;
};

Program RunProgram(const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"})
        environment.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(SQLVANTOR_EXE), arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

TEST(Program, InteractiveStartWithoutDisplaySaysSoAndFails) {
    for (const QStringList& arguments : {QStringList(), QStringList({"Kunden"}),
                                         QStringList({"-platform", "offscreen", "Kunden"})}) {
        const Program program = RunProgram(arguments);
        EXPECT_EQ(program.status, 3) << arguments.join(' ').toStdString();
        EXPECT_TRUE(program.err.contains("Keine Anzeige verfügbar")) << program.err.toStdString();
        EXPECT_TRUE(program.out.isEmpty());
    }
}

TEST(Program, UnattendedRunWithoutPathDoesNothingAndEndsQuietly) {
    // Qt's own options are not part of the argument text: this is "Kunden " with an empty path.
    for (const QStringList& arguments :
         {QStringList({"-platform", "offscreen", "Kunden", ""}), QStringList({"Kunden", ""})}) {
        const Program program = RunProgram(arguments);
        EXPECT_EQ(program.status, 0);
        EXPECT_TRUE(program.out.isEmpty()) << program.out.toStdString();
        // Nothing went wrong, so nothing for cron to mail (Qt's runtime folder notice included).
        EXPECT_TRUE(program.err.isEmpty()) << program.err.toStdString();
    }
}

TEST(Program, HelpAndVersionAnswerWithoutDisplay) {
    for (const QStringList& arguments : {QStringList({"--help"}), QStringList({"-h"}),
                                         QStringList({"-platform", "offscreen", "-h"})}) {
        const Program program = RunProgram(arguments);
        EXPECT_EQ(program.status, 0) << arguments.join(' ').toStdString();
        EXPECT_TRUE(program.out.startsWith("Aufruf: sqlvantor [DSN PFAD]\n"))
            << program.out.toStdString();
        EXPECT_TRUE(program.out.contains("Exit-Status:"));
        EXPECT_TRUE(program.err.isEmpty()) << program.err.toStdString();
    }
    const Program version = RunProgram({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(
        QRegularExpression("^sqlvantor \\d+\\.\\d+(\\.\\d+)?\n$").match(version.out).hasMatch())
        << version.out.toStdString();
    EXPECT_TRUE(version.err.isEmpty());
}

TEST(ProgramInfo, OnlyTheWholeArgumentTextAsksForHelpOrVersion) {
    EXPECT_EQ(ui::InfoAnswer("--help"), ui::UsageText());
    EXPECT_EQ(ui::InfoAnswer("-h"), ui::UsageText());
    EXPECT_EQ(ui::InfoAnswer("--version"), ui::VersionText());
    // Everything else keeps its meaning: a data source named "--help" with a path, one word.
    for (const char* other :
         {"--help x.mdb", "-h ", " --version", "--HELP", "-help", "--hilfe", ""})
        EXPECT_FALSE(ui::InfoAnswer(QString::fromLatin1(other)).has_value()) << other;
    EXPECT_TRUE(ui::ParseArgumentText("--help x.mdb").has_value());
}

TEST(Program, FailureGoesToStandardErrorWithItsNumber) {
    QTemporaryDir folder;
    const Program program = RunProgram({"sqlvantor_keine_quelle", folder.path() + "/crm.mdb"});
    EXPECT_EQ(program.status, 1);
    EXPECT_TRUE(program.err.contains("Laufzeitfehler '")) << program.err.toStdString();
    EXPECT_TRUE(program.out.startsWith("Start: ")) << program.out.toStdString();
}

}  // namespace
