// What the window services of every host share: waits and library work
// through the runner, and message boxes and file dialogs through replaceable
// presenters, so tests answer them without a modal window. `Owner` is the
// host's window handle (null: no owner), `BusyRunner` its ThreadedRunner.
// Every window of a host reaches them through ServedWindow.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "dialog_host.h"

namespace kv::ui {

template <class Owner, class BusyRunner>
class HostServices {
 public:
  using OwnerHandle = Owner;
  enum class FileDialog { Open, Save };
  using MessagePresenter = std::function<MessageResult(Owner owner, const MessageRequest&)>;
  using FilePresenter = std::function<std::optional<std::string>(Owner owner, FileDialog dialog)>;

  BusyRunner& Runner() { return runner_; }

  // A modal message box owned by `owner` (null: by no window).
  MessageResult ShowMessage(Owner owner, const MessageRequest& request) {
    return messages_(owner, request);
  }
  // The chosen path in the system's encoding (the library opens files by
  // such names), or nothing when the user cancelled. The save dialog asks
  // before it replaces a file.
  std::optional<std::string> AskFile(Owner owner, FileDialog dialog) {
    return files_(owner, dialog);
  }
  void Pause(std::uint32_t ms) { runner_.Wait(ms); }

  // Null puts the real one back.
  void SetMessagePresenter(MessagePresenter presenter) {
    messages_ = presenter ? std::move(presenter) : realMessages_;
  }
  void SetFilePresenter(FilePresenter presenter) {
    files_ = presenter ? std::move(presenter) : realFiles_;
  }

 protected:
  HostServices(BusyRunner& runner, MessagePresenter realMessages, FilePresenter realFiles)
      : runner_(runner),
        realMessages_(std::move(realMessages)),
        realFiles_(std::move(realFiles)),
        messages_(realMessages_),
        files_(realFiles_) {}

 private:
  BusyRunner& runner_;
  MessagePresenter realMessages_;
  FilePresenter realFiles_;
  MessagePresenter messages_;
  FilePresenter files_;
};

// A host's window (`Host`: WindowHost or one of its kinds) whose message
// boxes, waits and wait cursor are its host's services: message boxes are
// owned by the window MessageOwner names.
template <class Services, class Host = WindowHost>
class ServedWindow : public Host {
 public:
  using Owner = typename Services::OwnerHandle;

  MessageResult ShowMessage(const MessageRequest& request) override {
    return services_.ShowMessage(MessageOwner(), request);
  }
  void Pause(std::uint32_t ms) override { services_.Pause(ms); }
  void BeginWaitCursor() override { services_.BeginWaitCursor(); }
  void EndWaitCursor() override { services_.EndWaitCursor(); }

 protected:
  explicit ServedWindow(Services& services) : services_(services) {}
  // The window that owns this one's message boxes and file dialogs (null:
  // none).
  virtual Owner MessageOwner() = 0;

  Services& services_;
};

// The window host of the start-up checks: message boxes owned by no window.
template <class Services>
class OwnerlessHost final : public ServedWindow<Services> {
 public:
  explicit OwnerlessHost(Services& services) : ServedWindow<Services>(services) {}

 protected:
  typename ServedWindow<Services>::Owner MessageOwner() override { return nullptr; }
};

}  // namespace kv::ui
