// The program keeps its text as UTF-8 std::string; Qt keeps QString. Every conversion between
// the two goes through here.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace kestrin {

QString toQString(std::string_view text);
std::string toStdString(const QString& text);
// The text with its line ends ("\r\n", or a single "\r" or "\n") as Qt's line breaks.
QString toQStringLines(std::string_view text);

}  // namespace kestrin
