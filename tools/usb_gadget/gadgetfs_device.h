// A USB device on a gadget controller, driven through gadgetfs: the first
// write to the controller's file puts the device on the bus, reads of that
// file (ep0) bring the host's events and control requests, and closing it
// takes the device off the bus, as unplugging would.
#pragma once

#include <linux/usb/gadgetfs.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kv::usb {

class GadgetfsDevice {
 public:
  // Mounts gadgetfs on `folder` when the controller's file `controller` is
  // not there yet, opens it and writes `setup`. Null with `error` saying why.
  static std::unique_ptr<GadgetfsDevice> Open(const std::string& folder,
                                              const std::string& controller,
                                              const std::vector<std::uint8_t>& setup,
                                              std::string* error);
  ~GadgetfsDevice();
  GadgetfsDevice(const GadgetfsDevice&) = delete;
  GadgetfsDevice& operator=(const GadgetfsDevice&) = delete;

  // Waits up to `timeoutMs` (-1: for ever) for the host's next events. A
  // control request (GADGETFS_SETUP) comes last and must be answered by one
  // of the calls below before the next Wait. False with the error number in
  // *error when the wait or read failed (EINTR: a signal came first).
  bool Wait(int timeoutMs, std::vector<usb_gadgetfs_event>* events, int* error);

  // The answer to the pending request: IN data, an acknowledgement of a
  // request without data, its OUT data, or a stall.
  bool Send(const std::vector<std::uint8_t>& data);
  bool Acknowledge();
  bool Receive(std::size_t length, std::vector<std::uint8_t>* data);
  void Stall(bool in);

  // Opens and sets up the endpoint file `name` (after SET_CONFIGURATION).
  bool EnableEndpoint(const std::string& name, const std::vector<std::uint8_t>& setup,
                      std::string* error);
  void DisableEndpoint();

 private:
  GadgetfsDevice(std::string folder, int ep0) : folder_(std::move(folder)), ep0_(ep0) {}
  std::string folder_;
  int ep0_;
  int endpoint_ = -1;
};

}  // namespace kv::usb
