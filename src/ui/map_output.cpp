#include "ui/map_output.h"

#include <QMessageBox>

#include "app/application.h"
#include "ui/qt_ui_link.h"

namespace talvir {

MapOutput::MapOutput(Application& app, std::function<void()> switchedOff, std::function<QByteArray()> land)
    : app_(app),
      switchedOff_(std::move(switchedOff)),
      automation_(std::move(land)),
      plotter_(automation_, app.settings(),
               {.stations = [&shared = app.shared()] {
                  return GroundStationPlaces(shared.stations, shared.systemTable);
                },
                .currentStation =
                    [&app] { return app.hfChannel(app.ShownHfChannel()).decoders.decoder.CurrentGroundStationId(); },
                .warn =
                    [](std::string_view text) {
                      // No owner and no title: it stands on its own,
                      // whichever window is up.
                      QMessageBox::warning(nullptr, QString(),
                                           QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
                    }}) {
  app_.externalOutputs().AttachAtlas(&plotter_);
}

MapOutput::~MapOutput() { app_.externalOutputs().AttachAtlas(nullptr); }

bool MapOutput::SwitchOn() {
  if (!plotter_.DxAtlasStart()) return false;
  // The start made the window; its close box switches the map off.
  automation_.window()->onClosed = [this] {
    SwitchOff();
    if (switchedOff_) switchedOff_();
  };
  app_.shared().flights.FlightDbPublish(1);
  return true;
}

void MapOutput::SwitchOff() { plotter_.DxAtlasStop(); }

}  // namespace talvir
