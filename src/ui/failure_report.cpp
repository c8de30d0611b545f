#include "ui/failure_report.h"

#include <QMessageBox>
#include <QScreen>
#include <algorithm>
#include <cstdio>

namespace ui {
namespace {

QString Heading(const engine::RunFailure& failure) {
    return QStringLiteral("Laufzeitfehler '%1':").arg(failure.number);
}

QString Description(const engine::RunFailure& failure) {
    return QString::fromUtf16(failure.description.data(),
                              static_cast<qsizetype>(failure.description.size()));
}

// The top-left corner that centres `size` over `area`, shifted as little as needed to lie on
// `screen`, so a window half outside the screen still gets a box that can be read.
QPoint CentredPosition(QSize size, const QRect& area, const QRect& screen) {
    QRect placed(QPoint(), size);
    placed.moveCenter(area.center());
    const int maxLeft = std::max(screen.left(), screen.right() + 1 - size.width());
    const int maxTop = std::max(screen.top(), screen.bottom() + 1 - size.height());
    return {std::clamp(placed.left(), screen.left(), maxLeft),
            std::clamp(placed.top(), screen.top(), maxTop)};
}

// A message box knows its size only once it is shown, after Qt has placed it for the default
// size of an unshown window (640 x 480), which put it at the screen's top-left corner. This one
// centres itself over its window when its size is known, before the window system maps it.
class CentredMessageBox : public QMessageBox {
  public:
    using QMessageBox::QMessageBox;

  protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        const QRect screenArea = screen()->availableGeometry();
        const QWidget* over = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
        move(CentredPosition(frameGeometry().size(),
                             over != nullptr ? over->frameGeometry() : screenArea, screenArea));
    }
};

}  // namespace

QString FailureText(const engine::RunFailure& failure) {
    return Heading(failure) + QStringLiteral("\n\n") + Description(failure);
}

void ShowFailureBox(QWidget* parent, const engine::RunFailure& failure) {
    CentredMessageBox box(QMessageBox::Critical, QStringLiteral("SQL - Vantor"),
                          FailureText(failure), QMessageBox::Ok, parent);
    box.exec();
}

void PrintFailure(const engine::RunFailure& failure) {
    const QByteArray line =
        (QStringLiteral("sqlvantor: ") + Heading(failure) + QLatin1Char(' ') + Description(failure))
            .toUtf8();
    std::fprintf(stderr, "%s\n", line.constData());
    std::fflush(stderr);
}

}  // namespace ui
