#include "ui/failure_report.h"

#include <QMessageBox>
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

}  // namespace

QString FailureText(const engine::RunFailure& failure) {
    return Heading(failure) + QStringLiteral("\n\n") + Description(failure);
}

void ShowFailureBox(QWidget* parent, const engine::RunFailure& failure) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("SQL - Vantor"), FailureText(failure),
                    QMessageBox::Ok, parent);
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
