#pragma once

#include <QByteArray>
#include <QString>

#include <string>

namespace kelvarn::tidy {

// A child's output as text: valid UTF-8 as it is, anything else as no text at all (a reply with
// replacement characters in it would be tidied notes nobody wrote).
bool isValidUtf8(const QByteArray& bytes);
QString decodedUtf8(const QByteArray& bytes);
std::string utf8OrEmpty(const QByteArray& bytes);

} // namespace kelvarn::tidy
