#pragma once

#include <QByteArray>
#include <QString>

namespace quorvia::cli {

// Writes CSV bytes to stdout as they stand; false when they could not all be
// written (a full disk behind a redirection, a closed pipe).
bool writeOut(const QByteArray &bytes);
QString standardOutputFailure();

} // namespace quorvia::cli
