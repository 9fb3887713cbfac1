#include "app/QtMessageSink.h"

#include "engine/TextEncoding.h"

namespace larkspur {

namespace {

// Engine texts carry file paths (UTF-8 here) and phrases (UTF-8 in new
// tables, Windows-1252 in older ones): the table text rule reads both.
QString decode(const std::string& text)
{
    return QString::fromStdString(tableTextToUtf8(text));
}

} // namespace

void QtMessageSink::showMessage(const std::string& text)
{
    m_boxes.information(decode(text));
}

} // namespace larkspur
