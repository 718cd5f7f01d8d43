#include "app/Logging.h"

#include "engine/Log.h"

namespace app {

// Critical is the lowest level on by default, and nothing here is logged as critical.
Q_LOGGING_CATEGORY(lcEngineNet, "talvoranest.engine.net", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcEngineDecode, "talvoranest.engine.decode", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcEngineOutput, "talvoranest.engine.output", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcHandoff, "talvoranest.app.handoff", QtCriticalMsg)

namespace {

const QLoggingCategory& CategoryOf(engine::LogArea area) {
  switch (area) {
    case engine::LogArea::kNet:
      return lcEngineNet();
    case engine::LogArea::kDecode:
      return lcEngineDecode();
    case engine::LogArea::kOutput:
      return lcEngineOutput();
  }
  return lcEngineNet();
}

bool AnyEnabled(const QLoggingCategory& category) {
  return category.isInfoEnabled() || category.isWarningEnabled();
}

}  // namespace

void ConnectEngineLog() {
  if (!AnyEnabled(lcEngineNet()) && !AnyEnabled(lcEngineDecode()) && !AnyEnabled(lcEngineOutput()))
    return;
  engine::SetLogSink([](engine::LogArea area, engine::LogLevel level, const std::string& text) {
    const QLoggingCategory& category = CategoryOf(area);
    const QString line = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (level == engine::LogLevel::kWarning) {
      qCWarning(category).noquote() << line;
    } else {
      qCInfo(category).noquote() << line;
    }
  });
}

}  // namespace app
