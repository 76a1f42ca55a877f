// The one seam through which the library reaches hardware.
//
// Contract, for every backend:
// - A feature report is kReportLength (9) bytes: byte 0 is the report id,
//   always 0, followed by eight data bytes. The length includes the id byte.
// - An exchange succeeds only when all 9 bytes went out or came back; a short
//   transfer is a failed exchange, never half a report.
// - Handles are opaque; kInvalidHandle (all bits set) is never a valid one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kv::hid {

inline constexpr std::size_t kReportLength = 9;
using Report = std::array<std::uint8_t, kReportLength>;

using Handle = std::uintptr_t;
inline constexpr Handle kInvalidHandle = ~Handle{0};

// USB identity of an open interface.
struct Attributes {
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::uint16_t versionNumber = 0;  // USB device release number
};

enum class OpenFailure {
  None,
  NotFound,      // the path names no present device
  AccessDenied,  // present, but the user may not open it
  NoSecurity,    // the open's security descriptor could not be made; nothing was tried
  Other,
};

// The loaded HID layer: opening interfaces and talking feature reports.
class HidLayer {
 public:
  virtual ~HidLayer() = default;

  // Whether the feature entry points exist. A layer without them still loads
  // (the library then reports the missing entry point per exchange).
  virtual bool HasGetFeature() const { return true; }
  virtual bool HasSetFeature() const { return true; }

  // Opens a path for attribute and feature-report access. On failure returns
  // kInvalidHandle and, when `why` is given, says why.
  virtual Handle Open(const std::string& path, OpenFailure* why) = 0;
  virtual void Close(Handle handle) = 0;
  // Fills vendor, product and version; false (with zeros left) on failure.
  virtual bool GetAttributes(Handle handle, Attributes* out) = 0;
  // Fetches one report; report[0] holds the report id (0) on entry.
  virtual bool GetFeature(Handle handle, Report* report) = 0;
  virtual bool SetFeature(Handle handle, const Report& report) = 0;

  // One conversation at a time: the sensor's answers do not say which request
  // they answer, so two programs whose exchanges interleave read each other's
  // answers. TryHold takes the interface for this program without waiting;
  // false when another program (or another handle) holds it. The holds of
  // all programs and users on the machine exclude each other. A layer that
  // cannot lock at all lets the caller go ahead. Every layer implements
  // these, so none that wraps another can drop the hold.
  virtual bool TryHold(Handle handle) = 0;
  // Gives up a hold taken with TryHold on this handle.
  virtual void Release(Handle handle) = 0;
  // Who holds the interface, when that can be learned: "kv7700-config,
  // process 1234"; "" when unknown.
  virtual std::string Holder(Handle handle) = 0;
  // The turn, a second lock beside the hold, taken for a moment before every
  // hold and kept by a program while it waits for one: a holder that lets go
  // and comes straight back then finds the turn taken and waits behind the
  // waiter, so no program keeps the interface by looping. Excludes across
  // programs and handles as the hold does; a layer that cannot lock it lets
  // the caller go ahead.
  virtual bool TryTakeTurn(Handle handle) = 0;
  virtual void GiveTurn(Handle handle) = 0;
};

// One present interface as the enumeration facility lists it.
struct InterfaceEntry {
  // Where reading this interface's detail failed, if it did.
  enum class Detail { Ok, SizeQueryFailed, AllocFailed, ReadFailed };
  Detail detail = Detail::Ok;
  std::string path;
  // The USB identity, when the facility lists it (hidapi does, from udev):
  // discovery then opens sensors only. Without it every interface is opened
  // and its identity read from the open device.
  bool identityListed = false;
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
};

// The enumeration facility (the device-installation layer), loaded for one
// enumeration at a time.
class DeviceList {
 public:
  virtual ~DeviceList() = default;
  // Lists the present interfaces; false when the list itself could not be had.
  virtual bool List(std::vector<InterfaceEntry>* out) = 0;
};

// What loading a layer gave: 0 on success, else the library's failure code.
enum class LoadResult { Ok, LibraryMissing, EntryPointMissing };

// A platform: how the library loads its two layers and recognises a sensor's
// interface path before opening it.
class Platform {
 public:
  virtual ~Platform() = default;
  virtual LoadResult LoadHid(std::unique_ptr<HidLayer>* out) = 0;
  virtual LoadResult LoadDeviceList(std::unique_ptr<DeviceList>* out) = 0;
  // True when the path belongs to a sensor (vendor 0x18C8 or 0x04D8, product
  // 0x2BFA), decided without opening the device.
  virtual bool PathNamesSensor(const std::string& path) = 0;
  // True when two interface paths name the same interface. Exact by default;
  // Windows names one interface in upper and lower case alike.
  virtual bool PathsEqual(const std::string& a, const std::string& b) { return a == b; }
};

// The platform in force: the one SetPlatform installed. The library names
// no backend: programs install the native one (<kv7700/native_hid.h>) or an
// emulated one at start. Until they do, or after SetPlatform(nullptr), it
// is a platform with no layers: every load fails as LibraryMissing and no
// path names a sensor.
Platform& GetPlatform();
// Installs a platform (nullptr: none). The caller keeps ownership and must
// not destroy it while the library uses it.
void SetPlatform(Platform* platform);

}  // namespace kv::hid
