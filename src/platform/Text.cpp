#include "platform/Text.h"

#include <QLocale>
#include <QStringDecoder>

namespace zembra::platform {

namespace {

bool isMark(QChar c) {
    switch (c.category()) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return true;
    default:
        return false;
    }
}

QString decomposeWithoutMarks(const QString &text) {
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString out;
    out.reserve(decomposed.size());
    for (QChar c : decomposed)
        if (!isMark(c))
            out.append(c);
    return out;
}

} // namespace

QString decodeUtf8(std::string_view bytes) {
    // A decoder per call: a QStringDecoder keeps state and is not shared across threads.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

std::string foldForMatch(const QString &text) {
    bool ascii = true;
    for (QChar c : text)
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii)
        return text.toLower().toStdString();
    // toUpper() applies the full mappings (ß → SS) that toCaseFolded() leaves out;
    // a second decomposition catches what the case mapping composed.
    const QString folded = decomposeWithoutMarks(text).toUpper().toCaseFolded();
    return decomposeWithoutMarks(folded).toStdString();
}

std::string foldForMatch(std::string_view bytes) {
    std::string out(bytes);
    for (char &ch : out) {
        const auto u = static_cast<unsigned char>(ch);
        if (u >= 0x80)
            return foldForMatch(decodeUtf8(bytes));
        if (u >= 'A' && u <= 'Z')
            ch = char(u + ('a' - 'A'));
    }
    return out;
}

bool localizedStandardContains(const QString &haystack, const QString &key) {
    if (key.isEmpty())
        return false;
    return containsFolded(foldForMatch(haystack), foldForMatch(key));
}

LabelCollator::LabelCollator() {
    QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    m_collator = QCollator(locale);
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

} // namespace zembra::platform
