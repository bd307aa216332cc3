// The service's track list kept in <userdata>/TransferDb/transferDbTool.db,
// table TrackMap (mapId, type, sName = the track's name, uDate), and the
// beacon file of each map in <userdata>/TransferDb/bcnx/<name>.bcnx.
//
// The table operations hold the object's lock for their whole run and open
// and close the file themselves; the user table shares the file through its
// own connection, and each waits up to 5 s for the other's lock. Downloads
// run after the table work, outside the lock, so a slow transfer never
// holds up FindByName on the upload worker.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "webclient/TrackListItem.h"

class TrackMapDb {
 public:
  TrackMapDb() = default;
  TrackMapDb(const TrackMapDb&) = delete;
  TrackMapDb& operator=(const TrackMapDb&) = delete;

  // Makes <userdata>/TransferDb when missing and the file with its table (an
  // existing table is kept). Must run before any other operation.
  bool Create(const std::u16string& userData);
  const std::u16string& Path() const { return m_path; }

  // Merges the service's list into the table, then fetches beacon files:
  //  - an empty table takes every row, in one transaction, and every beacon;
  //  - a stored map with a larger incoming uDate has its beacon fetched
  //    again, and takes the type, name and uDate only once the new file is
  //    in place (a failed fetch leaves the map changed for the next list);
  //  - a stored map that is not newer changes nothing; its beacon is fetched
  //    only when its file is missing or not a whole beacon file;
  //  - an unknown map is added with its beacon.
  // Items with mapId <= 0 are unfilled and skipped; rows the service no
  // longer lists are kept. False for an empty list or when the table could
  // not be written.
  bool Update(const TrackListItem* rows, int32_t n);
  // Fetches the beacon file of each row to <userdata>/TransferDb/bcnx/<Label>.bcnx.
  // Only a whole beacon file (IsWholeBeaconFile) replaces the previous one; a
  // failed, overlong or refused transfer keeps it. A Label that is not a
  // plain name (see IsPlainDataName), or an address other than http:// or
  // https:// or that holds U+0000, is skipped. Returns how many files were
  // fetched.
  int32_t DownloadBeacons(const TrackListItem* rows, int32_t n);
  // The stored map of that name with the largest mapId; mapId 0 and empty
  // texts when there is none. BCNXFile stays empty.
  TrackListItem FindByName(const CString& name);
  int32_t Count();

 private:
  std::u16string UserData();
  // One row's beacon file; true when the new file is in place.
  static bool FetchBeacon(const std::u16string& userData, const TrackListItem& row);

  std::mutex m_mutex;
  std::u16string m_path;
  std::u16string m_userData;
};
