#include "ui/database_dialog.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QTreeView>
#include <algorithm>

namespace ui {
namespace {

// Qt sizes the detail columns for English samples ("128.88 GB", "mp3Folder"), which cuts German
// sizes and type names ("136,0 KiB", "JET-Datenbank"). Size, type and date follow their contents
// and headers instead; the name column keeps its generous width and the operator's hand.
void FitDetailColumns(QFileDialog& dialog) {
    auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (details == nullptr) return;  // a Qt without the detail view: nothing to fit
    QHeaderView* header = details->header();
    for (int column = 1; column < header->count(); ++column)
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
}

}  // namespace

void PrepareDatabaseDialog(QFileDialog& dialog, const QString& currentPath) {
    dialog.setObjectName(QStringLiteral("CommonDialog"));
    dialog.setWindowTitle(QStringLiteral("Access-Dantenbank auswählen"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);  // builds Qt's widgets now
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QStringLiteral("Access (*.mdb *.accdb)"));
    if (!currentPath.isEmpty()) dialog.selectFile(currentPath);
    FitDetailColumns(dialog);
    // Room for the whole date column beside a long name, also with German headers.
    dialog.resize(std::max(dialog.width(), 780), std::max(dialog.height(), 460));
}

}  // namespace ui
