#include "outputs/publishing/kml_text.h"

#include <cstdarg>
#include <cstdio>

#include "tracking/position_text.h"

namespace talvir {
namespace {

// Lines of a KML file, each ended with CR LF.
class KmlLines {
 public:
  void Line(std::string_view text) {
    text_ += text;
    text_ += "\r\n";
  }
  // printf-style; the pieces are short, a placemark line at most.
  __attribute__((format(printf, 2, 3))) void Format(const char* format, ...) {
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    Line(line);
  }
  std::string Take() { return std::move(text_); }

 private:
  std::string text_;
};

struct StyleBlock {
  const char* styleId;
  const char* iconStyleId;
  const char* iconColour;
  const char* iconFile;
  int iconX;
  const char* labelStyleId;
  const char* lineStyleId;
  const char* polyStyleId;
};

constexpr StyleBlock kGroundStyle{"myGndStyles", "khIconStyle792", "ffffffff", "palette-4.png", 160,
                                  "gndLabelStyle", "gndLineStyle", "gndPolyStyle"};
constexpr StyleBlock kAircraftStyles[] = {
    {"myAirStyles1", "khIconStyle791", "ff00ffff", "palette-2.png", 0, "airLabelStyle1", "airLineStyle1",
     "airPolyStyle1"},
    {"myAirStyles2", "khIconStyle792", "ffffffff", "palette-2.png", 0, "airLabelStyle2", "airLineStyle2",
     "airPolyStyle2"},
};

void Style(KmlLines& kml, const StyleBlock& s) {
  kml.Format("<Style id=\"%s\">", s.styleId);
  kml.Format("<IconStyle id=\"%s\">", s.iconStyleId);
  kml.Format("<color>%s</color>", s.iconColour);
  kml.Line("<scale>1.0</scale>");
  kml.Line("<Icon>");
  kml.Format("<href>root://icons/%s</href>", s.iconFile);
  kml.Format("<x>%d</x>", s.iconX);
  kml.Line("<y>0</y>");
  kml.Line("<w>32</w>");
  kml.Line("<h>32</h>");
  kml.Line("</Icon>");
  kml.Line("</IconStyle>");
  kml.Format("<LabelStyle id=\"%s\">", s.labelStyleId);
  kml.Line("<color>ffffffff</color>");
  kml.Line("<scale>1.5</scale>");
  kml.Line("</LabelStyle>");
  kml.Format("<LineStyle id=\"%s\">", s.lineStyleId);
  kml.Line("<color>ff0000ff</color>");
  kml.Line("<width>15</width>");
  kml.Line("</LineStyle>");
  kml.Format("<PolyStyle id=\"%s\">", s.polyStyleId);
  kml.Line("<color>7f7faaaa</color>");
  kml.Line("<colorMode>standard</colorMode>");
  kml.Line("</PolyStyle>");
  kml.Line("<BalloonStyle>");
  kml.Line("<text>");
  kml.Line("<![CDATA[<b>$[name]</b><br /><br/>$[description]]]>");
  kml.Line("</text>");
  kml.Line("</BalloonStyle>");
  kml.Line("</Style>");
}

void Head(KmlLines& kml) {
  kml.Line("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
  kml.Line("<kml xmlns=\"http://earth.google.com/kml/2.0\">");
  kml.Line("<Document>");
  kml.Line("<!-- Begin Style Definitions -->");
}

void Tail(KmlLines& kml) {
  kml.Line("</Document>");
  kml.Line("</kml>");
}

// Where a record is drawn: its position in degrees, unless it has none.
bool HasPlace(const AircraftRecord& r) {
  const double longitude = CoordinateDegrees(r.longitude);
  const double latitude = CoordinateDegrees(r.latitude);
  return !(longitude == 0.0 && latitude == 0.0) && !(longitude == 180.0 && latitude == 180.0);
}

void AircraftPlacemark(KmlLines& kml, const AircraftRecord& r, const std::tm& date) {
  const std::string flightId = XmlEscape(r.FlightIdText());
  const std::string time = FormatHalfSecondsTime(r.positionTime);
  kml.Line("<Placemark>");
  kml.Line("<name>");
  kml.Line(flightId);
  kml.Line("</name>");
  kml.Line("<description>");
  if (!r.RegistrationText().empty()) kml.Line("REG: " + XmlEscape(r.RegistrationText()) + "<br />");
  // "ICA0" with the digit zero: the text readers of these files know.
  if (r.icaoAddress != 0) kml.Format("ICA0: %.6X<br />", r.icaoAddress);
  kml.Format("TIME: %s UTC<br />", time.c_str());
  kml.Line("</description>");
  kml.Line(r.changed != 0 ? "<styleUrl>#myAirStyles2</styleUrl>" : "<styleUrl>#myAirStyles1</styleUrl>");
  kml.Line("<Point>");
  kml.Format("<coordinates>%f,%f,10000</coordinates>", CoordinateDegrees(r.longitude),
             CoordinateDegrees(r.latitude));
  kml.Format("<TimeStamp><when>%d-%d-%dT%sZ</when></TimeStamp></Point>", date.tm_year + 1900, date.tm_mon + 1,
             date.tm_mday, time.c_str());
  kml.Line("</Placemark>");

  const AircraftRecord::TrackPoint& newest = r.track[kTrackLength - 1];
  const AircraftRecord::TrackPoint& before = r.track[kTrackLength - 2];
  if (newest.latitude == 0 || before.latitude == 0) return;
  kml.Line("<Placemark>");
  kml.Line("<name>" + flightId + "</name>");
  kml.Line("<description>Aircraft Track</description>");
  kml.Line("<styleUrl>myYellowTrackStyle</styleUrl>");
  kml.Line("<LineString>");
  kml.Line("<extrude>0</extrude>");
  kml.Line("<tessellate>0</tessellate>");
  kml.Line("<altitudeMode>relative</altitudeMode>");
  kml.Line("<coordinates>");
  for (int i = kTrackLength - 1; i >= 0; --i) {
    const AircraftRecord::TrackPoint& p = r.track[i];
    if (p.latitude != 0) kml.Format("%f,%f,%d", CoordinateDegrees(p.longitude), CoordinateDegrees(p.latitude), 0);
  }
  kml.Line("</coordinates>");
  kml.Line("</LineString>");
  kml.Line("</Placemark>");
}

}  // namespace

std::string XmlEscape(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      case '\'': escaped += "&apos;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

std::string GroundStationKml(std::span<const GroundStationPlace> stations) {
  KmlLines kml;
  Head(kml);
  Style(kml, kGroundStyle);
  kml.Line("<!-- End Style Definitions -->");
  for (const GroundStationPlace& station : stations) {
    kml.Line("<Placemark>");
    kml.Line("<name>");
    kml.Format("GS(%d)", station.id);
    kml.Line("</name>");
    kml.Line("<description>");
    kml.Line(XmlEscape(station.name));
    kml.Line("<br />");
    kml.Line("Known Active Frequencies<br />");
    for (const uint32_t f : station.activeFrequencies) {
      if (f > 1000) {
        kml.Format("%8.0f KHz<br />", f / 1000.0);
      } else {
        kml.Format("%8.0f<br />", static_cast<double>(f));
      }
    }
    kml.Line("</description>");
    kml.Line("<styleUrl>#myGndStyles</styleUrl>");
    kml.Line("<Point>");
    kml.Format("<coordinates>%f,%f,1000</coordinates>", CoordinateDegrees(station.longitude),
               CoordinateDegrees(station.latitude));
    kml.Line("</Point>");
    kml.Line("</Placemark>");
  }
  Tail(kml);
  return kml.Take();
}

std::string AircraftKml(std::span<const AircraftRecord> table, std::time_t today) {
  std::tm date{};
  gmtime_r(&today, &date);
  KmlLines kml;
  Head(kml);
  for (const StyleBlock& style : kAircraftStyles) Style(kml, style);
  kml.Line("<Style id=\"myYellowTrackStyle\">");
  kml.Line("<LineStyle>");
  kml.Line("<color>7f00ffff</color>");
  kml.Line("<width>1</width>");
  kml.Line("</LineStyle>");
  kml.Line("</Style>");
  kml.Line("<!-- End Style Definitions -->");
  for (const AircraftRecord& r : table) {
    if (r.inUse == 1 && !r.FlightIdText().empty() && HasPlace(r)) AircraftPlacemark(kml, r, date);
  }
  Tail(kml);
  return kml.Take();
}

}  // namespace talvir
