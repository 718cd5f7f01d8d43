// Settings of the windowing system's Qt plugin that suit this window, made before the
// application object reads them. A value the user set is kept.
#pragma once

namespace app {

void TuneDisplayForTheMeters();

}  // namespace app
