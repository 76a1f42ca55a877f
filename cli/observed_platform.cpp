#include "observed_platform.h"

#include <cstdio>

namespace kv::cli {

namespace {

class ObservedLayer final : public hid::HidLayer {
 public:
  ObservedLayer(std::unique_ptr<hid::HidLayer> inner, const ExchangeObserver& observer)
      : inner_(std::move(inner)), observer_(observer) {}

  bool HasGetFeature() const override { return inner_->HasGetFeature(); }
  bool HasSetFeature() const override { return inner_->HasSetFeature(); }
  hid::Handle Open(const std::string& path, hid::OpenFailure* why) override {
    return inner_->Open(path, why);
  }
  void Close(hid::Handle handle) override { inner_->Close(handle); }
  bool GetAttributes(hid::Handle handle, hid::Attributes* out) override {
    return inner_->GetAttributes(handle, out);
  }
  bool GetFeature(hid::Handle handle, hid::Report* report) override {
    const bool ok = inner_->GetFeature(handle, report);
    if (observer_) observer_(ExchangeKind::Get, *report, ok);
    return ok;
  }
  bool SetFeature(hid::Handle handle, const hid::Report& report) override {
    const bool ok = inner_->SetFeature(handle, report);
    if (observer_) observer_(ExchangeKind::Set, report, ok);
    return ok;
  }
  bool TryHold(hid::Handle handle) override { return inner_->TryHold(handle); }
  void Release(hid::Handle handle) override { inner_->Release(handle); }
  std::string Holder(hid::Handle handle) override { return inner_->Holder(handle); }
  bool TryTakeTurn(hid::Handle handle) override { return inner_->TryTakeTurn(handle); }
  void GiveTurn(hid::Handle handle) override { inner_->GiveTurn(handle); }

 private:
  std::unique_ptr<hid::HidLayer> inner_;
  const ExchangeObserver& observer_;
};

}  // namespace

hid::LoadResult ObservedPlatform::LoadHid(std::unique_ptr<hid::HidLayer>* out) {
  std::unique_ptr<hid::HidLayer> inner;
  const hid::LoadResult result = inner_.LoadHid(&inner);
  if (result == hid::LoadResult::Ok && inner) {
    *out = std::make_unique<ObservedLayer>(std::move(inner), observer_);
  }
  return result;
}

std::string TraceLine(ExchangeKind kind, const hid::Report& report) {
  std::string line = kind == ExchangeKind::Set ? "set" : "get";
  for (std::uint8_t byte : report) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02x", byte);
    line += hex;
  }
  return line;
}

}  // namespace kv::cli
