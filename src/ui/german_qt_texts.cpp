#include "ui/german_qt_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace ui {

GermanQtTexts::GermanQtTexts() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    loaded_ = translator_.load(QStringLiteral("qtbase_de"),
                               QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
              QCoreApplication::installTranslator(&translator_);
}

GermanQtTexts::~GermanQtTexts() {
    QCoreApplication::removeTranslator(&translator_);
    QLocale::setDefault(previousLocale_);
}

}  // namespace ui
