// The connection worker's log category, off unless QT_LOGGING_RULES turns it on
// (QT_LOGGING_RULES="talvoranest.stream.worker=true").
#pragma once

#include <QLoggingCategory>

namespace stream {

Q_DECLARE_LOGGING_CATEGORY(lcWorker)

}  // namespace stream
