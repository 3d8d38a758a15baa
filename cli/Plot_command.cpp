// plot: a data file drawn by the window's graph, written as PNG, with no display.
#include <QApplication>
#include <QByteArray>
#include <QString>

#include "cli/Cli_commands.h"
#include "cli/Exit_codes.h"
#include "cli/Output_file.h"
#include "graph/Graph_2ch.h"
#include "message/Message_text.h"
#include "plots/Graph_area.h"
#include "plots/Png_file.h"
#include "session/Held_data.h"

namespace velqoris::cli {

int RunPlot(const Options& options, std::ostream& err) {
  if (!OutputsSpareInput(options.file, {options.png}, err)) return kExitOutput;
  if (!OutputsAllowed({{"PNG", options.png}}, options.force, err)) return kExitOutput;
  HeldData held;
  if (!held.Load(options.file)) {
    err << FileFaultMessage(held.fault, options.file) << '\n';
    return kExitBadFile;
  }
  held.Compute();

  // Drawing needs no screen: this process always renders off screen.
  qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
  static char programName[] = "velqoris-cli";
  static char* argv[] = {programName, nullptr};
  static int argc = 1;
  QApplication app(argc, argv);

  GraphArea area;
  TGraph_2CH graph(area.PaintBox(), held.data.Ch0, held.data.Ch1, held.data.Settings,
                   area.YLabels(), area.XLabels());
  graph.SetEventPump([] {});
  // A file without samples gives the window's empty graph, labels and all.
  if (held.data.HasData()) {
    graph.DrawAll(options.volt);
  } else {
    graph.DrawEmpty(options.volt);
  }
  const QImage picture = area.Picture();
  if (int error = 0; !SavePng(picture, options.png, &error)) {
    err << OutputNotWrittenMessage("PNG", options.png, error) << '\n';
    return kExitOutput;
  }
  return kExitOk;
}

}  // namespace velqoris::cli
