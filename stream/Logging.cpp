#include "stream/Logging.h"

namespace stream {

// Critical is the lowest level on by default, and the worker logs nothing as critical.
Q_LOGGING_CATEGORY(lcWorker, "talvoranest.stream.worker", QtCriticalMsg)

}  // namespace stream
