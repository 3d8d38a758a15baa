// The window's side of リモート制御: the menu item, remembered as a file in
// the user data folder, and a remote client's runs through the window's own.
#include <QAction>
#include <QPushButton>
#include <filesystem>

#include "app/Velqoris_main.h"
#include "app/Window_remote.h"
#include "datafile/User_data_folder.h"
#include "datafile/Utf8_path.h"

namespace velqoris {

std::string TFormMain::RemoteSwitchFile() const {
  if (!options_.remoteSwitchFile.empty()) return options_.remoteSwitchFile;
  return UserDataFolder() + "/remote-control";
}

void TFormMain::Remote1Click() {
  if (!constructed_) return;
  const bool on = remote_ == nullptr;
  SetRemote(on);
  std::error_code ignored;
  const std::filesystem::path file = PathFromUtf8(RemoteSwitchFile());
  if (on) {
    std::filesystem::create_directories(file.parent_path(), ignored);
    if (std::FILE* f = OpenUtf8(RemoteSwitchFile(), "wb")) std::fclose(f);
  } else {
    std::filesystem::remove(file, ignored);
  }
}

void TFormMain::SetRemote(bool on) {
  if (on && remote_ == nullptr) {
    remote_ = std::make_unique<WindowRemote>(*this, static_cast<quint16>(options_.remotePort));
  } else if (!on) {
    remote_.reset();
    SetRemoteHeld(false);
  }
  Remote1->setChecked(remote_ != nullptr);
}

void TFormMain::SetRemoteHeld(bool held) {
  if (held == remoteHeld_) return;
  remoteHeld_ = held;
  // The controls follow the run: a run in progress keeps its own state.
  SetControlsEnabled(run_ != nullptr && !run_->IsMeasuring() && !busy_);
  if (run_ != nullptr && run_->IsMeasuring()) MeasureBtn->setEnabled(!held);
}

bool TFormMain::StartRemoteRun(const MeasureSettings& settings) {
  if (!constructed_ || busy_ || recording_ || runState_ != RunState::kIdle) return false;
  SettingsToControls(settings);
  StartRun();
  return true;
}

void TFormMain::StopRemoteRun() {
  if (constructed_ && run_->IsMeasuring()) StopRun();
}

}  // namespace velqoris
