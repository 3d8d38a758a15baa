#include "app/Program_entry.h"

#include "app/Single_instance.h"
#include "app/Velqoris_application.h"
#include "app/Velqoris_main.h"
#include "app/Window_arguments.h"
#include "message/Message_box.h"

namespace velqoris {

namespace {

constexpr const char* kLockName = "AD7190";

}  // namespace

int RunProgram(const DeviceFactory& openDevice, const std::string& board) {
  // Qt is given no arguments of ours to read.
  static char programName[] = "velqoris";
  static char* argv[] = {programName, nullptr};
  static int argc = 1;
  VelqorisApplication app(argc, argv);

  SingleInstance instance(QString::fromStdString(InstanceName(kLockName, WindowArguments{board})));
  if (!instance.Acquire()) {
    // The other copy's window of exactly this title, if it has one.
    const QString title = QString::fromLatin1(kLockName);
    if (instance.OtherHasWindow(title)) {
      dialogs::ShowError("AD7190 はすでに起動しています", kLockName);
      instance.RaiseOther(title);
    }
    return 1;
  }

  app.setApplicationName(QStringLiteral("VELQORIS"));
  // The buffers' memory and the device backend may fail before the loop runs.
  return RunShowingExceptions([&] {
    std::unique_ptr<d2xx::Api> device = openDevice();
    TFormMain form(*device);
    if (!form.Constructed()) return 0;
    form.show();
    app.exec();
    return 0;
  });
}

}  // namespace velqoris
