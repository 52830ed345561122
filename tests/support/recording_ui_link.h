#pragma once
// A front end for tests: records every notification. Hand it to the objects
// under test, or attach it to an application's link.

#include <mutex>
#include <string>
#include <vector>

#include "common/ui_link.h"

namespace talvir::testing {

class RecordingUiLink : public UiLink {
 public:
  struct SpectrumPost {
    std::vector<float> samples;
    int channel;
  };

  RecordingUiLink() = default;
  RecordingUiLink(const RecordingUiLink&) = delete;
  RecordingUiLink& operator=(const RecordingUiLink&) = delete;

  int FlightListInsert(std::string_view text) override {
    std::lock_guard lock(mutex);
    flightList.emplace_back(text);
    return static_cast<int>(flightList.size()) - 1;
  }
  void FlightListClear() override {
    std::lock_guard lock(mutex);
    flightList.clear();
    ++flightListClears;
  }
  void SetSquitterLine(int hfChannel, std::string_view text) override { Keep(squitterLines, hfChannel, text); }
  void SetModemStatus(int hfChannel, std::string_view text) override { Keep(modemStatus, hfChannel, text); }
  void SetFlightDetails(std::string_view text) override { Keep(flightDetails, text); }
  void AppendDecodedText(std::string_view text) override { Keep(decodedText, text); }
  void PostSquitterUpdate(int) override { Count(squitterUpdates); }
  void PostSpectrumBlock(std::span<const float> samples, int channel) override {
    std::lock_guard lock(mutex);
    spectrum.push_back({{samples.begin(), samples.end()}, channel});
  }
  void PostConstellationUpdate(int, int withSlotCaption) override {
    std::lock_guard lock(mutex);
    constellationUpdates.push_back(withSlotCaption);
  }
  void PostStatisticsUpdate(int) override { Count(statisticsUpdates); }

  // All decoded text appended so far, in order.
  std::string AllDecodedText() const {
    std::lock_guard lock(mutex);
    std::string all;
    for (const auto& t : decodedText) all += t;
    return all;
  }

  mutable std::mutex mutex;
  std::vector<std::string> flightList;
  int flightListClears = 0;
  std::vector<std::string> squitterLines;
  std::vector<int> squitterLineChannels;
  std::vector<std::string> modemStatus;
  std::vector<std::string> flightDetails;
  std::vector<std::string> decodedText;
  std::vector<SpectrumPost> spectrum;
  std::vector<int> constellationUpdates;
  int squitterUpdates = 0;
  int statisticsUpdates = 0;

 private:
  void Keep(std::vector<std::string>& into, int hfChannel, std::string_view text) {
    std::lock_guard lock(mutex);
    into.emplace_back(text);
    if (&into == &squitterLines) squitterLineChannels.push_back(hfChannel);
  }
  void Keep(std::vector<std::string>& into, std::string_view text) {
    std::lock_guard lock(mutex);
    into.emplace_back(text);
  }
  void Count(int& counter) {
    std::lock_guard lock(mutex);
    ++counter;
  }
};

}  // namespace talvir::testing
