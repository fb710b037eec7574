#include "ui/UiText.h"

#include <QFile>

#include "text/Encoding.h"

namespace qx::ui {

QString FromCp932(std::string_view cp932) {
    if (IsAscii(cp932)) return QString::fromLatin1(cp932.data(), static_cast<qsizetype>(cp932.size()));
    const std::string utf8 = Cp932ToUtf8(cp932);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToCp932(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    std::string out;
    if (Utf8ToCp932(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())), out))
        return out;
    // Convert character by character so one missing character costs only itself.
    out.clear();
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray one = text.mid(i, len).toUtf8();
        std::string piece;
        if (Utf8ToCp932(std::string_view(one.constData(), static_cast<std::size_t>(one.size())), piece))
            out += piece;
        else
            out += '?';
        i += len;
    }
    return out;
}

std::string ToPath(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString FromPath(const std::string& path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

}  // namespace qx::ui
