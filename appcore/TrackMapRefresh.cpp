#include "appcore/TrackMapRefresh.h"

#include <vector>

#include "appcore/TrackMapDb.h"
#include "appcore/TryGrow.h"
#include "webclient/ApiClient.h"

TrackMapRefresh::TrackMapRefresh(TrackMapRefreshSources sources, TrackMapRefreshProgress progress)
    : m_sources(sources), m_progress(progress) {}

void TrackMapRefresh::Run(std::stop_token stop) {
  const int32_t count = ApiGetTrackCount();
  m_progress.count = count;
  TrackMapDb* trackMaps = m_sources.trackMaps;
  if (trackMaps == nullptr || count < 0 || count > kMostTrackMaps) return;
  std::vector<TrackListItem> items;
  if (!TryResize(items, count)) return;
  if (stop.stop_requested()) return;
  // Only the items the reply filled are merged: the rest are empty records.
  const int32_t filled = count > 0 ? ApiGetTrackList(items.data(), count) : 0;
  if (stop.stop_requested()) return;
  trackMaps->Update(items.data(), filled);
  m_progress.state = kTrackMapsDone;
}
