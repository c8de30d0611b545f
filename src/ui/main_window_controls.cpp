// The controls of Form1 at their fixed places (pixels of the client area), with their names,
// initial texts and states, the tab order and the initial focus. No layout manager: nothing
// moves when the window's size changes.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <limits>

#include "ui/main_window.h"

namespace ui {
namespace {

template <typename Widget>
Widget* Place(QWidget* parent, const char* name, int left, int top, int width, int height) {
    auto* widget = new Widget(parent);  // owned by its parent
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

QLabel* PlaceLabel(QWidget* parent, const char* name, const QString& caption, int left, int top,
                   int width) {
    auto* label = Place<QLabel>(parent, name, left, top, width, 13);
    label->setText(caption);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLineEdit* PlaceTextBox(QWidget* parent, const char* name, int left, int top, int width,
                        int height) {
    auto* box = Place<QLineEdit>(parent, name, left, top, width, height);
    box->setMaxLength(std::numeric_limits<int>::max());  // no limit of its own
    return box;
}

QPushButton* PlaceButton(QWidget* parent, const char* name, const QString& caption, int left,
                         int top, int width, int height) {
    auto* button = Place<QPushButton>(parent, name, left, top, width, height);
    button->setText(caption);
    // Enter and Esc trigger nothing by themselves.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QProgressBar* PlaceBar(QWidget* parent, const char* name, int top) {
    auto* bar = Place<QProgressBar>(parent, name, 0, top, 445, 17);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    return bar;
}

}  // namespace

void MainWindow::createControls() {
    // The layout was drawn for an 8-point sans serif of 13-pixel lines: a narrow sans serif at
    // that size lets every caption fit its place.
    QFont small = font();
    small.setFamilies({QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Liberation Sans"),
                       QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    small.setPixelSize(11);
    small.setStretch(80);
    setFont(small);
    createInputs();
    createStatusAndList();
    setTabOrderAndFocus();
}

void MainWindow::createInputs() {
    using engine::TextBox;
    PlaceLabel(this, "Label1", QStringLiteral("ODBC-DSN :"), 8, 8, 62);
    boxes_[TextBox::Text1] = PlaceTextBox(this, "Text1", 156, 4, 97, 21);
    PlaceLabel(this, "Label5", QStringLiteral("User :"), 8, 32, 28);
    boxes_[TextBox::Text4] = PlaceTextBox(this, "Text4", 156, 30, 113, 19);
    boxes_[TextBox::Text4]->setText(QStringLiteral("sa"));
    PlaceLabel(this, "Label6", QStringLiteral("Passwort :"), 312, 32, 49);
    boxes_[TextBox::Text5] = PlaceTextBox(this, "Text5", 404, 30, 113, 19);
    // Masked: anyone behind the operator would read a password shown as typed.
    boxes_[TextBox::Text5]->setEchoMode(QLineEdit::Password);

    optMs_ = Place<QRadioButton>(this, "Opt_MS", 156, 56, 107, 13);
    optMs_->setText(QStringLiteral("MS SQL-Server"));
    optMs_->setChecked(true);
    optOra_ = Place<QRadioButton>(this, "Opt_Ora", 288, 56, 107, 13);
    optOra_->setText(QStringLiteral("Oracle"));
    optSyb_ = Place<QRadioButton>(this, "OPT_SYB", 406, 56, 107, 13);
    optSyb_->setText(QStringLiteral("Sybase"));

    PlaceLabel(this, "Label2", QStringLiteral("Access Datenbank :"), 8, 80, 97);
    boxes_[TextBox::Text2] = PlaceTextBox(this, "Text2", 156, 76, 337, 21);
    command1_ = PlaceButton(this, "Command1", QStringLiteral("..."), 496, 76, 21, 21);
    checkCrm_ = Place<QCheckBox>(this, "Check_nurCRMTabellen", 160, 104, 337, 19);
    checkCrm_->setText(QStringLiteral("Nur CRM Tabellen saugen"));
    PlaceLabel(this, "Label3", QStringLiteral("nur einzelne Tabelle saugen :"), 8, 144, 139);
    boxes_[TextBox::Text3] = PlaceTextBox(this, "Text3", 156, 140, 233, 21);
    checkSafety_ = Place<QCheckBox>(this, "Check_Safety", 156, 164, 337, 19);
    checkSafety_->setText(QStringLiteral("sichere Tabellenzwischenspeicherung verwenden"));
}

void MainWindow::createStatusAndList() {
    using engine::StatusLabel;
    labels_[StatusLabel::Label_Start] = PlaceLabel(this, "Label_Start", QString(), 288, 8, 32);
    PlaceLabel(this, "Label4", QStringLiteral("-"), 336, 8, 3);
    labels_[StatusLabel::Label_Ende] = PlaceLabel(this, "Label_Ende", QString(), 344, 8, 32);
    labels_[StatusLabel::Label_Speed] = PlaceLabel(this, "Label_Speed", QString(), 412, 8, 104);
    for (const auto& [which, widget] : labels_) designWidths_[which] = widget->width();

    list1_ = Place<QListWidget>(this, "List1", 4, 184, 513, 264);
    list1_->setSelectionMode(QAbstractItemView::SingleSelection);
    list1_->setUniformItemSizes(true);  // long runs add many lines
    bar1_.widget = PlaceBar(this, "ProgressBar1", 456);
    bar2_.widget = PlaceBar(this, "ProgressBar2", 472);
    command2_ = PlaceButton(this, "Command2", QStringLiteral("Start"), 456, 456, 61, 37);
}

void MainWindow::setTabOrderAndFocus() {
    using engine::TextBox;
    const QList<QWidget*> order = {boxes_[TextBox::Text1],
                                   boxes_[TextBox::Text4],
                                   boxes_[TextBox::Text5],
                                   boxes_[TextBox::Text2],
                                   command1_,
                                   boxes_[TextBox::Text3],
                                   checkSafety_,
                                   list1_,
                                   command2_,
                                   optMs_,
                                   optOra_,
                                   optSyb_,
                                   checkCrm_};
    for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
    boxes_[TextBox::Text1]->setFocus();
}

}  // namespace ui
