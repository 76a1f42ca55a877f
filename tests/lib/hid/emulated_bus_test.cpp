// The emulated bus as the library sees it: a platform with plug and pull.
#include "hid/emulated/emulated_bus.h"

#include <gtest/gtest.h>
#include <kv7700/clock.h>

#include <atomic>
#include <set>
#include <thread>

namespace kv::emu {
namespace {

using hid::OpenFailure;

class EmulatedBusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetClock(&clock);
    ASSERT_EQ(bus.LoadHid(&layer), hid::LoadResult::Ok);
  }
  void TearDown() override { SetClock(nullptr); }

  VirtualClock clock;
  EmulatedBus bus;
  std::unique_ptr<hid::HidLayer> layer;
};

TEST_F(EmulatedBusTest, PlugAndPullRaiseEventsWithUniquePaths) {
  std::vector<PlugEvent> events;
  bus.SetPlugListener([&](const PlugEvent& event) { events.push_back(event); });

  const std::string a = bus.PlugSensor(std::make_shared<EmulatedSensor>());
  const std::string b = bus.PlugOther(0x046D, 0xC31C);
  bus.Unplug(a);
  const std::string c = bus.PlugSensor(std::make_shared<EmulatedSensor>());
  const std::string d = bus.PlugSensor(std::make_shared<EmulatedSensor>(), kSensorVendor, 0x0100,
                                       "/dev/hidraw-chosen");
  EXPECT_EQ(bus.PlugOther(1, 2, 0x0100, d), "") << "a taken path is refused";
  bus.Unplug("/dev/no-such-device");  // nothing there: no event

  EXPECT_EQ(std::set<std::string>({a, b, c, d}).size(), 4u);
  EXPECT_EQ(d, "/dev/hidraw-chosen");
  EXPECT_EQ(bus.Paths(), (std::vector<std::string>{b, c, d}));
  EXPECT_EQ(bus.SensorAt(a), nullptr);
  EXPECT_EQ(bus.SensorAt(b), nullptr);
  EXPECT_NE(bus.SensorAt(c), nullptr);

  using K = PlugEvent::Kind;
  const std::vector<std::pair<K, std::string>> expected = {
      {K::Added, a}, {K::Added, b}, {K::Removed, a}, {K::Added, c}, {K::Added, d}};
  ASSERT_EQ(events.size(), expected.size());
  for (std::size_t i = 0; i < events.size(); ++i) {
    EXPECT_EQ(events[i].kind, expected[i].first) << i;
    EXPECT_EQ(events[i].path, expected[i].second) << i;
  }
}

TEST_F(EmulatedBusTest, TheListenerMayCallBackIntoTheBus) {
  std::vector<std::string> seen;
  bus.SetPlugListener([&](const PlugEvent& event) {
    if (event.kind == PlugEvent::Kind::Added && bus.PathNamesSensor(event.path)) {
      const hid::Handle handle = layer->Open(event.path, nullptr);
      seen.push_back(event.path);
      layer->Close(handle);
    }
  });
  const std::string path = bus.PlugSensor(std::make_shared<EmulatedSensor>());
  EXPECT_EQ(seen, std::vector<std::string>{path});
}

TEST_F(EmulatedBusTest, PathNamesSensorByIdentityWithoutOpening) {
  auto sensor = std::make_shared<EmulatedSensor>();
  const std::string main = bus.PlugSensor(sensor, kSensorVendor);
  const std::string alt = bus.PlugSensor(std::make_shared<EmulatedSensor>(), kSensorVendorAlt);
  const std::string otherVendor = bus.PlugSensor(std::make_shared<EmulatedSensor>(), 0x1234);
  const std::string keyboard = bus.PlugOther(kSensorVendor, 0x2BFB);
  bus.DenyAccess(alt);

  EXPECT_TRUE(bus.PathNamesSensor(main));
  EXPECT_TRUE(bus.PathNamesSensor(alt)) << "decided without opening, so denial does not matter";
  EXPECT_FALSE(bus.PathNamesSensor(otherVendor));
  EXPECT_FALSE(bus.PathNamesSensor(keyboard));
  EXPECT_FALSE(bus.PathNamesSensor("/dev/hidraw-emu99"));
  EXPECT_EQ(bus.OpenHandleCount(), 0u);
  EXPECT_TRUE(sensor->Trace().empty());
}

TEST_F(EmulatedBusTest, OpenReportsWhyItFailed) {
  const std::string sensor =
      bus.PlugSensor(std::make_shared<EmulatedSensor>(), kSensorVendorAlt, 0x0143);
  const std::string denied = bus.PlugSensor(std::make_shared<EmulatedSensor>());
  bus.DenyAccess(denied);

  OpenFailure why = OpenFailure::Other;
  const hid::Handle handle = layer->Open(sensor, &why);
  ASSERT_NE(handle, hid::kInvalidHandle);
  EXPECT_EQ(why, OpenFailure::None);
  hid::Attributes attributes;
  ASSERT_TRUE(layer->GetAttributes(handle, &attributes));
  EXPECT_EQ(attributes.vendorId, kSensorVendorAlt);
  EXPECT_EQ(attributes.productId, kSensorProduct);
  EXPECT_EQ(attributes.versionNumber, 0x0143);

  EXPECT_EQ(layer->Open(denied, &why), hid::kInvalidHandle);
  EXPECT_EQ(why, OpenFailure::AccessDenied);
  EXPECT_EQ(layer->Open("/dev/hidraw-gone", &why), hid::kInvalidHandle);
  EXPECT_EQ(why, OpenFailure::NotFound);

  bus.DenyAccess(denied, false);
  const hid::Handle granted = layer->Open(denied, &why);
  EXPECT_NE(granted, hid::kInvalidHandle);
  EXPECT_EQ(bus.OpenHandleCount(), 2u);
  layer->Close(handle);
  layer->Close(granted);
  EXPECT_EQ(bus.OpenHandleCount(), 0u);
}

TEST_F(EmulatedBusTest, ExchangesReachTheSensorOnlyWhileItIsPlugged) {
  auto sensor = std::make_shared<EmulatedSensor>(0x0410);
  const std::string path = bus.PlugSensor(sensor);
  const std::string keyboard = bus.PlugOther(0x046D, 0xC31C);
  const hid::Handle handle = layer->Open(path, nullptr);
  const hid::Handle other = layer->Open(keyboard, nullptr);

  hid::Report report{0, 0x8A};
  EXPECT_TRUE(layer->SetFeature(handle, report));
  clock.Advance(kAnswerDelayMs);
  report = {};
  ASSERT_TRUE(layer->GetFeature(handle, &report));
  EXPECT_EQ(report[3], 0x10);
  EXPECT_EQ(report[4], 0x04);
  EXPECT_FALSE(layer->SetFeature(other, hid::Report{0, 0x8A})) << "a keyboard answers no reports";
  EXPECT_FALSE(layer->GetFeature(other, &report));

  bus.Unplug(path);
  EXPECT_FALSE(layer->SetFeature(handle, hid::Report{0, 0x8A}));
  EXPECT_FALSE(layer->GetFeature(handle, &report));
  hid::Attributes attributes;
  EXPECT_FALSE(layer->GetAttributes(handle, &attributes));
  EXPECT_EQ(sensor->Trace().size(), 2u) << "nothing reached the pulled sensor";

  // Replugged, the sensor gets a new path; the old handle stays dead.
  const std::string again = bus.PlugSensor(sensor);
  EXPECT_NE(again, path);
  EXPECT_FALSE(layer->SetFeature(handle, hid::Report{0, 0x8A}));
  EXPECT_EQ(bus.OpenHandleCount(), 2u) << "an unplugged device's handle stays open until closed";
  layer->Close(handle);
  layer->Close(other);
  EXPECT_EQ(bus.OpenHandleCount(), 0u);
  EXPECT_FALSE(layer->SetFeature(handle, hid::Report{0, 0x8A}));
}

TEST_F(EmulatedBusTest, LayerFailuresAsConfigured) {
  const std::string a = bus.PlugSensor(std::make_shared<EmulatedSensor>());
  const std::string b = bus.PlugOther(0x046D, 0xC31C);
  bus.SetDetailFailure(b, hid::InterfaceEntry::Detail::ReadFailed);

  std::unique_ptr<hid::DeviceList> list;
  ASSERT_EQ(bus.LoadDeviceList(&list), hid::LoadResult::Ok);
  std::vector<hid::InterfaceEntry> entries;
  ASSERT_TRUE(list->List(&entries));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].path, a);
  EXPECT_EQ(entries[0].detail, hid::InterfaceEntry::Detail::Ok);
  EXPECT_EQ(entries[1].path, b);
  EXPECT_EQ(entries[1].detail, hid::InterfaceEntry::Detail::ReadFailed);
  bus.SetListFails(true);
  EXPECT_FALSE(list->List(&entries));

  bus.SetListLoadResult(hid::LoadResult::LibraryMissing);
  EXPECT_EQ(bus.LoadDeviceList(&list), hid::LoadResult::LibraryMissing);
  bus.SetHidLoadResult(hid::LoadResult::EntryPointMissing);
  std::unique_ptr<hid::HidLayer> second;
  EXPECT_EQ(bus.LoadHid(&second), hid::LoadResult::EntryPointMissing);
  EXPECT_EQ(second, nullptr);

  bus.SetEntryPoints(false, true);
  EXPECT_FALSE(layer->HasGetFeature());
  EXPECT_TRUE(layer->HasSetFeature());
  const hid::Handle handle = layer->Open(a, nullptr);
  hid::Report report{};
  EXPECT_FALSE(layer->GetFeature(handle, &report));
  EXPECT_TRUE(layer->SetFeature(handle, hid::Report{0, 0xB1}));
  layer->Close(handle);
}

TEST_F(EmulatedBusTest, NoHandleLeaksOverAThousandPlugAndPullCycles) {
  int added = 0, removed = 0;
  bus.SetPlugListener(
      [&](const PlugEvent& event) { ++(event.kind == PlugEvent::Kind::Added ? added : removed); });
  for (int i = 0; i < 1000; ++i) {
    const std::string path = bus.PlugSensor(std::make_shared<EmulatedSensor>());
    const hid::Handle handle = layer->Open(path, nullptr);
    ASSERT_NE(handle, hid::kInvalidHandle);
    if (i % 2) bus.Unplug(path);  // pulled while open, closed afterwards
    layer->Close(handle);
    if (i % 2 == 0) bus.Unplug(path);
  }
  EXPECT_EQ(bus.OpenHandleCount(), 0u);
  EXPECT_TRUE(bus.Paths().empty());
  EXPECT_EQ(added, 1000);
  EXPECT_EQ(removed, 1000);
}

TEST(EmulatedBusLifetime, ALayerThatOutlivesItsBusFailsCleanly) {
  std::unique_ptr<hid::HidLayer> layer;
  std::unique_ptr<hid::DeviceList> list;
  hid::Handle handle;
  {
    EmulatedBus bus;
    ASSERT_EQ(bus.LoadHid(&layer), hid::LoadResult::Ok);
    ASSERT_EQ(bus.LoadDeviceList(&list), hid::LoadResult::Ok);
    handle = layer->Open(bus.PlugSensor(std::make_shared<EmulatedSensor>()), nullptr);
  }
  std::vector<hid::InterfaceEntry> entries;
  EXPECT_FALSE(list->List(&entries));
  EXPECT_FALSE(layer->SetFeature(handle, hid::Report{0, 0x8A}));
  OpenFailure why = OpenFailure::None;
  EXPECT_EQ(layer->Open("/dev/hidraw-emu0", &why), hid::kInvalidHandle);
  EXPECT_EQ(why, OpenFailure::NotFound);
  layer->Close(handle);
}

// The configurator reads on a worker thread while the window thread moves the
// target and plugs devices; the sanitizer build checks the locking.
TEST_F(EmulatedBusTest, ConcurrentExchangesPlugsAndTargetMoves) {
  auto sensor = std::make_shared<EmulatedSensor>();
  const std::string path = bus.PlugSensor(sensor);
  const hid::Handle handle = layer->Open(path, nullptr);
  std::atomic<bool> done{false};
  std::thread worker([&] {
    for (int i = 0; i < 2000; ++i) {
      layer->SetFeature(handle, hid::Report{0, 0x8F});
      clock.Advance(kAnswerDelayMs);
      hid::Report report{};
      layer->GetFeature(handle, &report);
    }
    done = true;
  });
  int moves = 0;
  while (!done) {
    sensor->SetTarget(moves % 60, 1.5);
    const std::string other = bus.PlugOther(0x046D, 0xC31C);
    bus.Unplug(other);
    ++moves;
  }
  worker.join();
  layer->Close(handle);
  EXPECT_EQ(sensor->TraceCopy().size(), 4000u);
  EXPECT_EQ(bus.OpenHandleCount(), 0u);
}

}  // namespace
}  // namespace kv::emu
