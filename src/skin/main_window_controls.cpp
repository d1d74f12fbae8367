#include "skin/main_window_controls.h"

namespace launcher {
namespace {

void design_bar(TGradientProgressBar& bar, int left, int top, int width, int height,
                TColor fore_face, TColor fore_grad) {
    bar.SetBounds(left, top, width, height);
    bar.SetColorBorder(0x005680);
    bar.SetBackColorFace(0x444444);
    bar.SetBackColorGrad(0x111111);
    bar.SetForeColorFace(fore_face);
    bar.SetForeColorGrad(fore_grad);
}

void design_button(TImageButton& button, int left, int top) {
    button.SetBounds(left, top, 0, 0);
    button.SetShowHint(true);
    button.SetParentShowHint(false);
}

} // namespace

MainWindowControls::MainWindowControls() {
    design_bar(ProgressBar_OneFile, 39, 522, 527, 8, 0x6BCEDF, 0x007BB7);
    design_bar(ProgressBar_Total, 39, 559, 527, 10, 0x4444AA, 0x111188);
    design_button(Button_StartGame, 688, 483);
    Button_StartGame.SetEnabled(false);
    design_button(Button_Cancel, 612, 465);
    design_button(Button_CheckAllFiles, 508, 465);
    Button_CheckAllFiles.SetVisible(false);
    design_button(Button_Close, 765, 9);
    design_button(Button_Minimize, 722, 9);
    design_button(Button_Config, 744, 10);
    Gauge_OneFile.SetBounds(24, 626, 200, 16);
    Gauge_Total.SetBounds(280, 626, 200, 16);
}

void MainWindowControls::ApplySkin(const TqorMainWindow& skin) {
    skin.Button_StartGame.SaveToForm(Button_StartGame);
    skin.Button_Cancel.SaveToForm(Button_Cancel);
    skin.Button_CheckAllFiles.SaveToForm(Button_CheckAllFiles);
    skin.Button_Close.SaveToForm(Button_Close);
    skin.Button_Minimize.SaveToForm(Button_Minimize);
    skin.Button_Config.SaveToForm(Button_Config);
    skin.Progress_OneFile.SaveToForm(ProgressBar_OneFile);
    skin.Progress_Total.SaveToForm(ProgressBar_Total);
    skin.Gauge_OneFile.SaveToForm(Gauge_OneFile);
    skin.Gauge_Total.SaveToForm(Gauge_Total);
}

} // namespace launcher
