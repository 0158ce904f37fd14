#pragma once
// The form model's text, colours and fonts in Qt's terms. The model's text is Windows-1252;
// Qt's is Unicode.

#include <QChar>
#include <QColor>
#include <QFont>
#include <QString>
#include <string>
#include <string_view>

#include "ui/form.h"

namespace tessary::ui {

QString ToQt(std::string_view cp1252);
std::string FromQt(const QString& text);
QColor ToQColor(Colour c);
// Whether the record text can hold the character; typing any other is refused.
bool InCp1252(QChar c);

// The form's own font, and a control's: the form's with the control's choices over it.
QFont FormFont(const Form& form);
QFont ControlFont(const Form& form, const Control& c);

}  // namespace tessary::ui
