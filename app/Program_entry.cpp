#include "app/Program_entry.h"

#include <QDir>
#include <QFileInfo>

#include "app/Single_instance.h"
#include "app/Velqoris_application.h"
#include "app/Velqoris_main.h"
#include "app/Window_arguments.h"
#include "app/Window_placement.h"
#include "message/Message_box.h"
#include "message/Message_text.h"

namespace velqoris {

namespace {

constexpr const char* kLockName = "AD7190";

// The copy that runs may have another working folder.
std::string Absolute(const std::string& path) {
  return QDir::fromNativeSeparators(QFileInfo(QString::fromStdString(path)).absoluteFilePath())
      .toStdString();
}

}  // namespace

int RunProgram(const DeviceFactory& openDevice, const WindowArguments& args) {
  // Qt is given no arguments of ours to read.
  static char programName[] = "velqoris";
  static char* argv[] = {programName, nullptr};
  static int argc = 1;
  VelqorisApplication app(argc, argv);

  SingleInstance instance(QString::fromStdString(InstanceName(kLockName, args)));
  if (!instance.Acquire()) {
    // The running copy's window comes forward (with the file, if one was
    // given); a copy that cannot be reached is named in a box instead.
    const bool answered =
        args.file ? instance.OpenInOther(Absolute(*args.file)) : instance.RaiseOther();
    if (!answered) {
      dialogs::ShowError(std::string(kAlreadyRunningMessage), std::string(kAlreadyRunningCaption));
    }
    return 1;
  }

  app.setApplicationName(QStringLiteral("VELQORIS"));
  // The buffers' memory and the device backend may fail before the loop runs.
  return RunShowingExceptions([&] {
    std::unique_ptr<d2xx::Api> device = openDevice();
    TFormMain form(*device);
    if (!form.Constructed()) return 0;
    ShowOnScreen(form, FirstPlace::kAsMoved);
    instance.ServeWindow(&form,
                         [&form](const std::string& path) { return form.OpenDataFile(path); });
    if (args.file) form.OpenDataFile(Absolute(*args.file));
    app.exec();
    return 0;
  });
}

}  // namespace velqoris
