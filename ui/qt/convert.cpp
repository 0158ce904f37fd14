#include "ui/qt/convert.h"

#include <algorithm>
#include <array>

#include "core/text.h"

namespace tessary::ui {

QString ToQt(std::string_view cp1252) {
    const std::string utf8 = Cp1252ToUtf8(cp1252);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string FromQt(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return Utf8ToCp1252(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

QColor ToQColor(Colour c) {
    return QColor(static_cast<int>((c >> 16) & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>(c & 0xFF));
}

bool InCp1252(QChar c) {
    static const std::array<char16_t, 128> high = [] {
        std::array<char16_t, 128> table{};
        for (int b = 0x80; b <= 0xFF; ++b) {
            const QString s = ToQt(std::string(1, static_cast<char>(b)));
            table[static_cast<std::size_t>(b - 0x80)] = s.size() == 1 ? s[0].unicode() : u'\0';
        }
        return table;
    }();
    if (c.unicode() < 0x80) return true;
    return std::find(high.begin(), high.end(), c.unicode()) != high.end();
}

QFont FormFont(const Form& form) {
    QFont font(ToQt(form.fontName));
    font.setPointSize(std::max(1, form.fontSize));
    return font;
}

QFont ControlFont(const Form& form, const Control& c) {
    QFont font = FormFont(form);
    if (!c.font.name.empty()) font.setFamily(ToQt(c.font.name));
    if (c.font.pixelHeight > 0) {
        font.setPixelSize(c.font.pixelHeight);
    } else if (c.font.size > 0) {
        font.setPointSize(c.font.size);
    }
    font.setBold(c.font.bold);
    font.setItalic(c.font.italic);
    return font;
}

}  // namespace tessary::ui
