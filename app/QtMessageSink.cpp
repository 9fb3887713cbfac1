#include "app/QtMessageSink.h"

#include <QStringDecoder>

namespace larkspur {

namespace {

// Engine texts carry file paths (UTF-8 here) and phrases (single bytes of any
// code page); take UTF-8 when it is valid, else read the bytes as Latin-1.
QString decode(const std::string& text)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    if (!utf8.hasError())
        return decoded;
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void QtMessageSink::showMessage(const std::string& text)
{
    m_boxes.information(decode(text));
}

} // namespace larkspur
