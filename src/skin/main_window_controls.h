#pragma once

#include "skin/gradient_progress_bar.h"
#include "skin/image_button.h"
#include "skin/skin_windows.h"
#include "skin/texture_gauge.h"

namespace launcher {

// The main window's skinned controls that need no window toolkit, with the
// values they are designed with before the skin moves and sizes them: six
// image buttons (0 x 0 until they get images; the start button disabled, the
// full-check button hidden), two gradient progress bars and two textured
// gauges. The window that hosts them owns one of these.
struct MainWindowControls {
    MainWindowControls();

    TGradientProgressBar ProgressBar_OneFile;
    TGradientProgressBar ProgressBar_Total;
    TImageButton Button_StartGame;
    TImageButton Button_Cancel;
    TImageButton Button_CheckAllFiles;
    TImageButton Button_Close;
    TImageButton Button_Minimize;
    TImageButton Button_Config;
    TTextureGauge Gauge_OneFile;
    TTextureGauge Gauge_Total;

    // Applies the skin's buttons, progress bars and gauges, in the order the
    // main window applies its whole skin.
    void ApplySkin(const TqorMainWindow& skin);
};

} // namespace launcher
