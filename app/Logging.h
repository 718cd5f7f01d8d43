// The player's log categories, all off unless QT_LOGGING_RULES turns them on, for example
// QT_LOGGING_RULES="talvoranest.*=true".
#pragma once

#include <QLoggingCategory>

namespace app {

Q_DECLARE_LOGGING_CATEGORY(lcEngineNet)
Q_DECLARE_LOGGING_CATEGORY(lcEngineDecode)
Q_DECLARE_LOGGING_CATEGORY(lcEngineOutput)
Q_DECLARE_LOGGING_CATEGORY(lcHandoff)

// Connects the engine's log to the engine categories, when any of them is on: an engine whose
// lines nobody reads does not build them.
void ConnectEngineLog();

}  // namespace app
