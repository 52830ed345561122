#include "outputs/sbs/sbs_line.h"

#include <cstdio>

namespace talvir {

std::string FormatSbsPosition(const SbsPosition& p) {
  std::tm utc{};
  gmtime_r(&p.stamp, &utc);
  char when[40];
  std::snprintf(when, sizeof when, "%04d/%02d/%02d,%02d:%02d:%02d.000", utc.tm_year + 1900, utc.tm_mon + 1,
                utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
  char icao[8] = "";
  if (p.icaoAddress) std::snprintf(icao, sizeof icao, "%06X", *p.icaoAddress & 0xFFFFFF);
  const std::string altitude = p.altitudeFeet ? std::to_string(*p.altitudeFeet) : "";
  char line[256];
  std::snprintf(line, sizeof line, "MSG,3,1,1,%s,1,%s,%s,%s,%s,,,%.5f,%.5f,,,,,,0\r\n", icao, when, when,
                p.callsign.c_str(), altitude.c_str(), p.latitude, p.longitude);
  return line;
}

}  // namespace talvir
