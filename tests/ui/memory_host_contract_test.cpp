// The in-memory dialog keeps the rules the platform's hosts keep.
#include <memory>

#include "memory_dialog_host.h"
#include "ui/host_contract.h"

namespace kv::ui::testing {
namespace {

class MemoryDriver {
 public:
  static constexpr bool kBusyWindow = false;

  DialogHost& Open(int templateId, DialogEvents& events) {
    dialog_ = std::make_unique<MemoryDialogHost>(templateId);
    dialog_->SetEvents(&events);
    return *dialog_;
  }
  void Type(int id, char c) { dialog_->Type(id, dialog_->GetText(id) + c); }
  void Click(int id) { dialog_->Click(id); }
  void ChooseNext(int id) { dialog_->Choose(id, dialog_->GetListSelection(id) + 1); }
  bool AwaitTick(std::uint32_t id, const std::function<bool()>& arrived, int /*limitMs*/) {
    return dialog_->FireTimer(id) && arrived();
  }
  void WhileBusy(const std::function<void()>& /*user*/) {}

 private:
  std::unique_ptr<MemoryDialogHost> dialog_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Memory, HostContract, MemoryDriver);

}  // namespace
}  // namespace kv::ui::testing
