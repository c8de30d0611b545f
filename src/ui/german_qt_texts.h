// Qt's own texts in German, whatever the system locale says: the file dialog, the context menus
// of the text boxes and Qt's standard buttons speak the window's language.
#pragma once

#include <QLocale>
#include <QTranslator>

namespace ui {

// While it exists, Qt's German translation (qtbase_de from Qt's translations folder, Debian's
// qt6-translations-l10n) is installed into the application, and German is the default locale
// (sizes and dates in the file dialog). Create it after the application object; its end restores
// both.
class GermanQtTexts {
  public:
    GermanQtTexts();
    ~GermanQtTexts();
    GermanQtTexts(const GermanQtTexts&) = delete;
    GermanQtTexts& operator=(const GermanQtTexts&) = delete;

    // False when the translation file is missing; Qt's texts are then English.
    bool loaded() const { return loaded_; }

  private:
    QLocale previousLocale_;
    QTranslator translator_;
    bool loaded_ = false;
};

}  // namespace ui
